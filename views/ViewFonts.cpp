#include "views/ViewFonts.h"

#include <QStringList>

namespace {

void registerSubstitutes()
{
    static const bool done = [] {
        const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                                  QStringLiteral("Arial")};
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
        QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                                   {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
        return true;
    }();
    Q_UNUSED(done);
}

QFont pixelFont(const QString &family, int pixels)
{
    registerSubstitutes();
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

} // namespace

namespace ViewFonts {

QFont cellFont()
{
    return pixelFont(QStringLiteral("MS Sans Serif"), 11);
}

QFont rulerHourFont()
{
    return pixelFont(QStringLiteral("Tahoma"), 21);
}

QFont rulerSmallFont()
{
    return pixelFont(QStringLiteral("Tahoma"), 11);
}

} // namespace ViewFonts
