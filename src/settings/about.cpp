#include "about.h"

Tform_about *form_about = nullptr;

Tform_about::Tform_about(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("form_about"));
    form_about = this;
}
