#pragma once

#include "store/Unit2.h"

#include <QWidget>

class QLabel;
class QToolButton;

// The bar across the top of the main window: the Today, Day, Week and Month
// buttons with back and forward at the right; below them the dark strip with
// the "Folders" toggle, the folder's name and the shown date.
class TopBar : public QWidget
{
    Q_OBJECT
public:
    using View = DataModuleHost::View;

    static constexpr int Height = 60;
    static constexpr int StripHeight = 24;

    explicit TopBar(QWidget *parent = nullptr);

    // The button of the view is pressed, the other two are not.
    void setPressedView(View view);
    View pressedView() const;
    void setFoldersOn(bool on);
    bool foldersOn() const;

    void setFolderName(const QString &name);
    QString folderName() const;
    void setDateCaption(const QString &text);
    QString dateCaption() const;
    // How the open calendar stands with its server ("Synced 10:42"); ""
    // hides it.
    void setSyncState(const QString &text);
    QString syncState() const;

    QToolButton *viewButton(View view) const;
    QToolButton *todayButton() const { return m_today; }
    QToolButton *forwardButton() const { return m_forward; }
    QToolButton *foldersButton() const { return m_folders; }
    QLabel *folderNameLabel() const { return m_folderName; }
    QLabel *dateCaptionLabel() const { return m_dateCaption; }
    QLabel *syncStateLabel() const { return m_syncState; }

signals:
    void todayClicked();
    void viewClicked(DataModuleHost::View view);
    void backClicked();
    void forwardClicked();
    void foldersClicked();

private:
    QToolButton *makeViewButton(const QString &text, const QString &icon);

    QToolButton *m_today;
    QToolButton *m_day;
    QToolButton *m_week;
    QToolButton *m_month;
    QToolButton *m_back;
    QToolButton *m_forward;
    QToolButton *m_folders;
    QLabel *m_folderName;
    QLabel *m_dateCaption;
    QLabel *m_syncState;
};
