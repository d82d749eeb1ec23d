#pragma once

#include <QUrl>

// The product's web page and support address: the one place that names them.
namespace ProductLinks {

QUrl webSite();
QUrl supportMail();

// Hand the address to the user's browser or mail program.
void openWebSite();
void openSupportMail();

} // namespace ProductLinks
