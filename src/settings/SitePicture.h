#pragma once
// The maker's pictures, drawn in code: the site banner that opens the web site and the
// product emblem of the about window.
#include <QPixmap>
#include <QSize>
#include <QString>

namespace SitePicture {

// A record beside the address on a dark blue plate.
QPixmap figura_site(const QSize &tamanho, const QString &endereco);

// Level bars rising over a red floor, with the product's name.
QPixmap figura_emblema(const QSize &tamanho);

} // namespace SitePicture
