#include "app/AboutBox.h"

#include "app/AppIcons.h"
#include "app/ProductLinks.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Daybrook Planner"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *picture = new QLabel(this);
    picture->setPixmap(AppIcons::icon(QStringLiteral("daybrook-planner")).pixmap(48, 48));
    picture->setAlignment(Qt::AlignTop);

    const QUrl web = ProductLinks::webSite();
    const QUrl mail = ProductLinks::supportMail();
    auto *text = new QLabel(this);
    text->setTextFormat(Qt::RichText);
    text->setOpenExternalLinks(true);
    text->setText(QStringLiteral("<p><b style='font-size:14pt'>Daybrook Planner</b><br>Version %1</p>"
                                 "<p>Appointments, events, tasks and reminders<br>in a personal calendar.</p>"
                                 "<p><a href='%2'>%3</a><br><a href='%4'>%5</a></p>")
                      .arg(QStringLiteral(DAYBROOK_VERSION), web.toString(), web.host(), mail.toString(), mail.path()));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *row = new QHBoxLayout;
    row->addWidget(picture);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}
