#include "udir.h"

Tform_dir *form_dir = nullptr;

Tform_dir::Tform_dir(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("form_dir"));
    setWindowTitle(QStringLiteral("Captura por Diretório"));
    form_dir = this;
}
