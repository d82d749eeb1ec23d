#include "app/HelpWindow.h"

#include "app/AppIcons.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Daybrook Planner Help"));
    setWindowIcon(AppIcons::icon(QStringLiteral("planner")));
    resize(660, 540);

    auto *contents = new QPushButton(QStringLiteral("Contents"), this);
    auto *back = new QPushButton(QStringLiteral("Back"), this);
    auto *forward = new QPushButton(QStringLiteral("Forward"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { m_browser->setSource(contentsPage()); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);

    // Web and mail links leave the help for the desktop's own programs.
    m_browser->setOpenExternalLinks(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
}

void HelpWindow::showContents()
{
    m_browser->clearHistory();
    m_browser->setSource(contentsPage());
    show();
    raise();
    activateWindow();
}

QUrl HelpWindow::currentPage() const
{
    return m_browser->source();
}
