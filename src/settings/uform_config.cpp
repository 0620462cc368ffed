#include "uform_config.h"

Tform_config *form_config = nullptr;

Tform_config::Tform_config(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("form_config"));
    setWindowTitle(QStringLiteral("Configurações"));
    form_config = this;
}
