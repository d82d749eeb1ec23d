#include "app/ShortcutBar.h"

#include "app/AppIcons.h"

#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int HeaderHeight = 19;
constexpr int ButtonHeight = 66;
constexpr int IconSide = 32;
} // namespace

ShortcutBar::ShortcutBar(QWidget *parent)
    : QWidget(parent)
{
    setFixedWidth(Width);
    setAutoFillBackground(true);
    QPalette shade = palette();
    shade.setColor(QPalette::Window, shade.color(QPalette::Dark));
    setPalette(shade);
    setStyleSheet(QStringLiteral(
        "QToolButton { border: 1px solid transparent; color: white; background: transparent; }"
        "QToolButton:hover { border-color: rgb(49,106,197); background: rgba(255,255,255,40); }"
        "QToolButton:pressed { border-color: rgb(49,106,197); background: rgb(223,233,247); color: black; }"));

    auto *header = new QLabel(QStringLiteral("Daybrook"), this);
    header->setFixedHeight(HeaderHeight);
    header->setAlignment(Qt::AlignCenter);
    header->setAutoFillBackground(true);
    header->setFrameShape(QFrame::Panel);
    header->setFrameShadow(QFrame::Raised);
    QPalette headerPalette = header->palette();
    headerPalette.setColor(QPalette::Window, headerPalette.color(QPalette::Button));
    headerPalette.setColor(QPalette::WindowText, Qt::black);
    header->setPalette(headerPalette);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(header);
    m_newEvent = addButton(QStringLiteral("New Event"), QStringLiteral("new-event"));
    m_newTask = addButton(QStringLiteral("New Task"), QStringLiteral("new-task"));
    m_reminders = addButton(QStringLiteral("Reminders"), QStringLiteral("reminders"));
    m_options = addButton(QStringLiteral("Options"), QStringLiteral("options"));
    m_preview = addButton(QStringLiteral("Preview"), QStringLiteral("preview"));
    for (QToolButton *button : {m_newEvent, m_newTask, m_reminders, m_options, m_preview})
        layout->addWidget(button, 0, Qt::AlignHCenter);
    layout->addStretch();
}

QToolButton *ShortcutBar::addButton(const QString &caption, const QString &icon)
{
    auto *button = new QToolButton(this);
    button->setText(caption);
    button->setIcon(AppIcons::icon(icon));
    button->setIconSize(QSize(IconSide, IconSide));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(Width - 12, ButtonHeight);
    return button;
}
