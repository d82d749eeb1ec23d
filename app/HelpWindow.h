#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

// The bundled help: a plain browser window over the HTML pages in the
// resources, opened on its contents page.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    static QUrl contentsPage() { return QUrl(QStringLiteral("qrc:/help/contents.html")); }

    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the window in front on the contents page.
    void showContents();
    QUrl currentPage() const;

private:
    QTextBrowser *m_browser;
};
