#include "folders/FolderPane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

void paintWhite(QWidget *widget)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    widget->setPalette(palette);
}

// The close button's small black cross, drawn rather than loaded so the
// pane needs no picture from the main window's resources.
QIcon crossIcon()
{
    QPixmap pixmap(8, 8);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawLine(QPointF(0.5, 0.5), QPointF(7.5, 7.5));
    painter.drawLine(QPointF(7.5, 0.5), QPointF(0.5, 7.5));
    return QIcon(pixmap);
}

} // namespace

FolderPane::FolderPane(QWidget *parent)
    : QWidget(parent)
    , m_close(new QToolButton(this))
    , m_area(new QScrollArea(this))
    , m_list(new QWidget)
{
    // A collapsed pane is one pixel wide: nothing inside may hold it open.
    setMinimumWidth(1);

    auto *header = new QWidget(this);
    header->setFixedHeight(HeaderHeight);
    header->setAutoFillBackground(true);
    header->setMinimumWidth(1);
    auto *title = new QLabel(QStringLiteral("Folders List"), header);
    title->setMinimumWidth(1);
    m_close->setIcon(crossIcon());
    m_close->setIconSize(QSize(8, 8));
    m_close->setFixedSize(18, 16);
    m_close->setAutoRaise(true);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(4, 0, 1, 0);
    headerRow->setSpacing(0);
    headerRow->addWidget(title, 1);
    headerRow->addWidget(m_close);

    m_area->setFrameShape(QFrame::NoFrame);
    m_area->setMinimumWidth(1);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The list follows the area's width; its height is its own (16 pixels a
    // folder), so the white area scrolls once the folders do not fit.
    m_area->setWidgetResizable(true);
    m_area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The viewport takes its parent's colours unless told otherwise.
    paintWhite(m_area);
    m_area->viewport()->setBackgroundRole(QPalette::Window);
    paintWhite(m_area->viewport());
    setList(m_list);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(m_area, 1);
    connect(m_close, &QToolButton::clicked, this, &FolderPane::closeClicked);
}

void FolderPane::setList(QWidget *list)
{
    QWidget *old = m_area->takeWidget();
    if (old != list)
        delete old;
    m_list = list;
    m_list->setMinimumWidth(1);
    m_area->setWidget(m_list);
    m_list->show();
}
