#include "FolderPane.h"

#include "AppIcons.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QWidget *whiteArea(QWidget *parent)
{
    auto *area = new QWidget(parent);
    area->setAutoFillBackground(true);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Window, Qt::white);
    area->setPalette(palette);
    return area;
}

} // namespace

FolderPane::FolderPane(QWidget *parent)
    : QWidget(parent)
    , m_layout(new QVBoxLayout(this))
    , m_close(new QToolButton(this))
    , m_list(whiteArea(this))
{
    // A collapsed pane is one pixel wide: nothing inside may hold it open.
    setMinimumWidth(1);

    auto *header = new QWidget(this);
    header->setFixedHeight(HeaderHeight);
    header->setAutoFillBackground(true);
    header->setMinimumWidth(1);
    auto *title = new QLabel(QStringLiteral("Folders List"), header);
    title->setMinimumWidth(1);
    m_close->setIcon(AppIcons::icon(QStringLiteral("close")));
    m_close->setIconSize(QSize(8, 8));
    m_close->setFixedSize(18, 16);
    m_close->setAutoRaise(true);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(4, 0, 1, 0);
    headerRow->setSpacing(0);
    headerRow->addWidget(title, 1);
    headerRow->addWidget(m_close);

    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(header);
    m_layout->addWidget(m_list, 1);
    connect(m_close, &QToolButton::clicked, this, &FolderPane::closeClicked);
}

void FolderPane::setList(QWidget *list)
{
    m_layout->replaceWidget(m_list, list);
    delete m_list;
    m_list = list;
    m_list->setParent(this);
    m_list->setMinimumWidth(1);
    m_list->show();
}
