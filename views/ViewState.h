#pragma once

#include <QDate>
#include <QString>

// What the week and month views, the cell painters, the item commands and
// printing share about the user's current selection. The main window owns
// one of these and hands it to the views.
struct ViewState
{
    QString SelectedItemNo = QStringLiteral("0"); // `No` of the item last clicked in a week or month cell; "0" for none
    int SelectedCellNo = 0;                       // cell of the selected day: 1..42 month, 43..49 week
    QDate MonthFirstDate;                         // date shown in month cell 1
    QDate WeekFirstDate;                          // the Monday shown in week cell 1
    bool LastSelectionMultiDay = false;           // the item of the last cell click spans several days

    bool hasSelectedItem() const { return SelectedItemNo != QStringLiteral("0"); }
};
