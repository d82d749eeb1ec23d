#pragma once

#include <QLocale>
#include <QTemporaryDir>
#include <QtGlobal>

// Pins the locale every expected text of the tests is written in.
inline void pinTestLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

// A fresh, empty data root that disappears with the test.
class TempHome
{
public:
    TempHome() { qputenv("DAYBROOK_HOME", path().toUtf8()); }
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};
