#include "views/SeparatorLines.h"

#include <QPainter>
#include <QPaintEvent>

SeparatorLines::SeparatorLines(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void SeparatorLines::setLines(const QList<QRect> &lines)
{
    if (lines == m_lines)
        return;
    m_lines = lines;
    update();
}

void SeparatorLines::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    for (const QRect &line : m_lines)
        if (line.intersects(event->rect()))
            painter.fillRect(line, Qt::black);
}
