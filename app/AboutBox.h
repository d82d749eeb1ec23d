#pragma once

#include <QDialog>

// The about box: the program's name, version and where to find help.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);
};
