#pragma once

#include <QWidget>

// Five minute labels beside the half-hour list, level with its selected
// entry: "25".."05" beside a full hour, "55".."35" beside a half hour, the
// smallest minute next to the list. A click picks that minute of the
// entry's hour.
class MinuteStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int labelWidth = 16;
    static constexpr int labelHeight = 15;
    static constexpr int gap = 1;

    explicit MinuteStrip(QWidget *parent = nullptr);

    // Shows the minutes that belong to half-hour entry `index`.
    void setEntryIndex(int index);
    int entryIndex() const { return m_entryIndex; }
    // Minute of label 0..4, counted from the left.
    int minuteAt(int label) const;
    QRect labelRect(int label) const;

    static QColor hoverColor(); // RGB(166,202,240)

signals:
    void minuteClicked(int minute);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int labelAt(const QPoint &pos) const;

    int m_entryIndex = 0;
    int m_hovered = -1;
};
