// The ten shortcuts on the shortcut player: one press plays the file, the next press (of
// any shortcut) stops it.
#include "Cartucheira.h"

#include "UMIXER.h"
#include "audio/TMorvelBass.h"
#include "cartridge/Shortcuts.h"
#include "library/NativeName.h"
#include "settings/DataFolder.h"
#include "settings/funcoes.h"

void Cartucheira::play_atalho(const QString &caminho)
{
    if (caminho.isEmpty())
        return;
    if (!NativeName::exists(caminho)) {
        funcoes::bip_mensagem(QStringLiteral("Arquivo ->") + caminho + QStringLiteral(" - Não Localizado !!"));
        return;
    }
    if (canal_atalho->Playing) {
        canal_atalho->Stop();
        return;
    }
    try {
        canal_atalho->FreeStream();
        canal_atalho->LoadFile(caminho);
        canal_atalho->SetGain(m_console.nivelamento->ganho(caminho));
        canal_atalho->Play();
    } catch (...) {
        funcoes::mensagem(QStringLiteral("Erro ao Carregar Mídia - Verifique !!"));
    }
}


void Cartucheira::PlayAtalho011Click() { play_atalho(atalhos->entrada(1)); }
void Cartucheira::PlayAtalho012Click() { play_atalho(atalhos->entrada(2)); }
void Cartucheira::PlayAtalho013Click() { play_atalho(atalhos->entrada(3)); }
void Cartucheira::PlayAtalho014Click() { play_atalho(atalhos->entrada(4)); }
void Cartucheira::PlayAtalho051Click() { play_atalho(atalhos->entrada(5)); }
void Cartucheira::PlayAtalho061Click() { play_atalho(atalhos->entrada(6)); }
void Cartucheira::PlayAtalho071Click() { play_atalho(atalhos->entrada(7)); }
void Cartucheira::PlayAtalho081Click() { play_atalho(atalhos->entrada(8)); }
void Cartucheira::PlayAtalho091Click() { play_atalho(atalhos->entrada(9)); }
void Cartucheira::PlayAtalho101Click() { play_atalho(atalhos->entrada(10)); }

void Cartucheira::grava_atalhos()
{
    if (!atalhos->grava(DataFolder::filePath(Atalhos::nomeArquivo())))
        funcoes::mensagem(QStringLiteral("Erro ao gravar arquivo de atalhos"));
}
