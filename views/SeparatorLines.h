#pragma once

#include <QList>
#include <QRect>
#include <QWidget>

// The black one-pixel separator lines drawn over the day cells of the week
// and month views. It lies over the whole cell area and lets every mouse
// event through to the cells below.
class SeparatorLines : public QWidget
{
    Q_OBJECT
public:
    explicit SeparatorLines(QWidget *parent = nullptr);

    void setLines(const QList<QRect> &lines);
    const QList<QRect> &lines() const { return m_lines; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QRect> m_lines;
};
