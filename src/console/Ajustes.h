#pragma once
// The one place that reads and sets the settings window's live controls: the mix time and
// sensitivity the clocks use, the capture's types and level, and what the settings file
// keeps of them. Without a settings window the defaults stand.
#include "settings/SettingsFile.h"

#include <QStringList>

namespace Ajustes {

int tempo_mixagem();
int sensibilidade();
// The capture level, 0 to 3.
int nivel_captura();
// The search patterns of the enabled capture types.
QStringList padroes_captura();
// Opens the settings window, when there is one.
void mostra_janela();
// The mix time and sensitivity fields follow the Auto Mix switch.
void habilita_mixagem(bool ligado);

// The settings file's values that live in the settings window.
void le_da_janela(SettingsFile::Valores *v);
// The ones the show sequence sets before the players open...
void aplica_primeiros(const SettingsFile::Valores &v);
// ...and the ones it sets after; false when the saved mix time is not a number.
bool aplica_ultimos(const SettingsFile::Valores &v);

} // namespace Ajustes
