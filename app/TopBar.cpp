#include "app/TopBar.h"

#include "app/AppIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The flat image-button look: no frame until hovered, the on state as a pale
// blue face inside a one-pixel selection-blue frame.
const char ButtonStyle[] =
    "QToolButton { border: 1px solid transparent; border-radius: 0; padding: 2px 6px; background: transparent; }"
    "QToolButton:hover { border-color: rgb(49,106,197); background: rgb(238,243,251); }"
    "QToolButton:checked, QToolButton:pressed { border-color: rgb(49,106,197); background: rgb(223,233,247); }";

QLabel *whiteLabel(int pixelSize, bool bold, QWidget *parent)
{
    auto *label = new QLabel(parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

} // namespace

TopBar::TopBar(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(Height);

    m_today = makeViewButton(QStringLiteral(" Today"), QStringLiteral("today"));
    m_today->setCheckable(false);
    m_day = makeViewButton(QStringLiteral(" Day"), QStringLiteral("day"));
    m_week = makeViewButton(QStringLiteral(" Week"), QStringLiteral("week"));
    m_month = makeViewButton(QStringLiteral(" Month"), QStringLiteral("month"));
    m_back = new QToolButton(this);
    m_back->setIcon(AppIcons::icon(QStringLiteral("back")));
    m_back->setIconSize(QSize(16, 16));
    m_back->setStyleSheet(QLatin1String(ButtonStyle));
    m_forward = new QToolButton(this);
    m_forward->setIcon(AppIcons::icon(QStringLiteral("forward")));
    m_forward->setIconSize(QSize(16, 16));
    m_forward->setStyleSheet(QLatin1String(ButtonStyle));

    auto *buttons = new QWidget(this);
    auto *buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(4, 2, 6, 2);
    buttonRow->setSpacing(2);
    for (QToolButton *button : {m_today, m_day, m_week, m_month})
        buttonRow->addWidget(button);
    buttonRow->addStretch();
    buttonRow->addWidget(m_back);
    buttonRow->addWidget(m_forward);

    // The strip in the button-shadow colour.
    auto *strip = new QWidget(this);
    strip->setFixedHeight(StripHeight);
    strip->setAutoFillBackground(true);
    QPalette stripPalette = strip->palette();
    stripPalette.setColor(QPalette::Window, stripPalette.color(QPalette::Dark));
    strip->setPalette(stripPalette);

    m_folders = new QToolButton(strip);
    m_folders->setText(QStringLiteral("Folders"));
    m_folders->setCheckable(true);
    m_folders->setFixedHeight(StripHeight - 4);
    m_folders->setStyleSheet(QStringLiteral(
        "QToolButton { border: 1px solid palette(dark); padding: 0 8px; background: palette(button); color: black; }"
        "QToolButton:hover { border-color: rgb(49,106,197); }"
        "QToolButton:checked { border-color: rgb(49,106,197); background: rgb(223,233,247); }"));
    m_folderName = whiteLabel(16, true, strip);
    m_folderName->setText(QStringLiteral("Personal Calendar"));
    m_dateCaption = whiteLabel(13, false, strip);
    m_dateCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_syncState = whiteLabel(13, false, strip);
    m_syncState->hide();

    auto *stripRow = new QHBoxLayout(strip);
    stripRow->setContentsMargins(4, 0, 8, 0);
    stripRow->setSpacing(10);
    stripRow->addWidget(m_folders);
    stripRow->addWidget(m_folderName);
    stripRow->addWidget(m_syncState);
    stripRow->addStretch();
    stripRow->addWidget(m_dateCaption);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buttons, 1);
    layout->addWidget(strip);

    connect(m_today, &QToolButton::clicked, this, &TopBar::todayClicked);
    connect(m_day, &QToolButton::clicked, this, [this] { emit viewClicked(View::Day); });
    connect(m_week, &QToolButton::clicked, this, [this] { emit viewClicked(View::Week); });
    connect(m_month, &QToolButton::clicked, this, [this] { emit viewClicked(View::Month); });
    connect(m_back, &QToolButton::clicked, this, &TopBar::backClicked);
    connect(m_forward, &QToolButton::clicked, this, &TopBar::forwardClicked);
    connect(m_folders, &QToolButton::clicked, this, &TopBar::foldersClicked);
}

QToolButton *TopBar::makeViewButton(const QString &text, const QString &icon)
{
    auto *button = new QToolButton(this);
    button->setText(text);
    button->setIcon(AppIcons::icon(icon));
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setCheckable(true);
    button->setStyleSheet(QLatin1String(ButtonStyle));
    return button;
}

QToolButton *TopBar::viewButton(View view) const
{
    switch (view) {
    case View::Day:
        return m_day;
    case View::Week:
        return m_week;
    case View::Month:
        return m_month;
    case View::None:
        break;
    }
    return nullptr;
}

void TopBar::setPressedView(View view)
{
    // A click toggles a checkable button by itself; the state is always set
    // here so that only the current view's button stays down.
    for (View each : {View::Day, View::Week, View::Month})
        viewButton(each)->setChecked(each == view);
}

TopBar::View TopBar::pressedView() const
{
    for (View each : {View::Day, View::Week, View::Month}) {
        if (viewButton(each)->isChecked())
            return each;
    }
    return View::None;
}

void TopBar::setFoldersOn(bool on)
{
    m_folders->setChecked(on);
}

bool TopBar::foldersOn() const
{
    return m_folders->isChecked();
}

void TopBar::setFolderName(const QString &name)
{
    m_folderName->setText(name);
}

QString TopBar::folderName() const
{
    return m_folderName->text();
}

void TopBar::setDateCaption(const QString &text)
{
    m_dateCaption->setText(text);
}

QString TopBar::dateCaption() const
{
    return m_dateCaption->text();
}

void TopBar::setSyncState(const QString &text)
{
    m_syncState->setText(text);
    m_syncState->setVisible(!text.isEmpty());
}

QString TopBar::syncState() const
{
    return m_syncState->text();
}
