#pragma once

#include <QPageSize>

// The paper-dependent constants of the three printed pages, in page units
// of 1/96 inch (the body pictures use one pixel per unit).
struct PrintGeometry
{
    enum class Paper { Letter, A4 };

    static constexpr int Margin = 48;  // left edge of every page element
    static constexpr int MarginMm = 5; // printable margin on every side
    static constexpr int TaskRowHeight = 18;
    static constexpr int MaxTasks = 44;

    Paper paper = Paper::Letter;
    int J = 160; // month column width
    int W = 720; // weekly and daily header box width
    int I = 824; // weekly and daily drawn body height
    int T = 0;   // task pad column width, 0 without the task pad
    int K = 360; // week day-column width

    // Options field "20": true is Letter.
    static Paper paperFor(bool letter) { return letter ? Paper::Letter : Paper::A4; }
    static PrintGeometry forPaper(Paper paper, bool taskPad);

    bool isLetter() const { return paper == Paper::Letter; }
    QPageSize pageSize() const;
    int monthGridWidth() const { return 6 * J; }
    int taskPadLeft() const { return W - T; }
};
