#pragma once

#include <QWidget>

// The column of the eleven type swatches beside the type name boxes: swatch
// t at (2, 32 t) on the button face, whose colour also covers each swatch's
// top and left edge so that the swatches sit flush with their boxes.
class SwatchStrip : public QWidget
{
    Q_OBJECT
public:
    static constexpr int pitch = 32;
    static constexpr int left = 2;

    explicit SwatchStrip(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
