#include "Ajustes.h"

#include "settings/uform_config.h"

#include <QCheckBox>
#include <QSlider>
#include <QSpinBox>
#include <QVariant>

namespace Ajustes {

int tempo_mixagem()
{
    return form_config ? form_config->RxSpinEdit7->value() : 3000;
}

int sensibilidade()
{
    return form_config ? form_config->RxSpinEdit1->value() : 20;
}

int nivel_captura()
{
    if (!form_config || !form_config->MMSwitch1)
        return 1;
    QObject *chave = form_config->MMSwitch1;
    const QVariant valor = chave->property("value");
    const int p = valor.isValid() ? valor.toInt() : (chave->property("checked").toBool() ? 1 : 0);
    return qBound(0, p, 3);
}

QStringList padroes_captura()
{
    if (!form_config)
        return {QStringLiteral("*.mp3")};
    QStringList p;
    if (form_config->Checkbox4 && form_config->Checkbox4->isChecked())
        p << QStringLiteral("*.mp3");
    if (form_config->Checkbox3 && form_config->Checkbox3->isChecked())
        p << QStringLiteral("*.wav");
    if (form_config->checkbox_wma && form_config->checkbox_wma->isChecked())
        p << QStringLiteral("*.wma");
    if (form_config->Checkbox1 && form_config->Checkbox1->isChecked())
        p << QStringLiteral("*.ogg");
    return p;
}

void mostra_janela()
{
    if (form_config)
        form_config->exec();
}

void habilita_mixagem(bool ligado)
{
    if (!form_config)
        return;
    form_config->RxSpinEdit7->setEnabled(ligado);
    form_config->RxSpinEdit1->setEnabled(ligado);
}

void le_da_janela(SettingsFile::Valores *v)
{
    if (!form_config)
        return;
    v->wav = form_config->Checkbox3->isChecked() ? 1 : 0;
    v->mp3 = form_config->Checkbox4->isChecked() ? 1 : 0;
    v->ogg = form_config->Checkbox1->isChecked() ? 1 : 0;
    v->wma = form_config->checkbox_wma->isChecked() ? 1 : 0;
    v->tempo_mix = form_config->RxSpinEdit7->value();
    v->vlr_sensor = form_config->RxSpinEdit1->value();
}

void aplica_primeiros(const SettingsFile::Valores &v)
{
    if (!form_config)
        return;
    form_config->RxSpinEdit1->setValue(v.vlr_sensor);
    form_config->Checkbox1->setChecked(v.ogg == 1);
    form_config->checkbox_wma->setChecked(v.wma == 1);
}

bool aplica_ultimos(const SettingsFile::Valores &v)
{
    if (!form_config)
        return true;
    form_config->Checkbox3->setChecked(v.wav == 1);
    form_config->Checkbox4->setChecked(v.mp3 == 1);
    int tempoMix = 0;
    if (!SettingsFile::inteiro(v.tempo_mix_texto, &tempoMix))
        return false;
    form_config->RxSpinEdit7->setValue(tempoMix);
    return true;
}

} // namespace Ajustes
