#pragma once
// The cartridge bank and the shortcuts: the ten cartridge buttons with their bank file, drops
// that fill them, firing them with a countdown, and the ten shortcut keys on their own player.
#include "cartridge/CartridgeBank.h"

#include <QObject>
#include <array>
#include <memory>

class Atalhos;
class QAction;
class QDragMoveEvent;
class QMenu;
class QMimeData;
class TColorBtn;
class TMorvelBass;
class TThreadedTimer;
class Tform_mixer;

class Cartucheira : public QObject
{
    Q_OBJECT
public:
    explicit Cartucheira(Tform_mixer &console);
    ~Cartucheira() override;

    TMorvelBass *canal_atalho = nullptr;
    std::array<TMorvelBass *, 10> canal_cartucho{};
    std::array<TColorBtn *, 10> cartuchos_btn{};
    // Slot n is cartuchos[n - 1]; button n shows it and plays on canal_cartucho[n - 1].
    std::array<CartridgeSlot, 10> cartuchos{};
    // The bank file was there but could not be read: it is never written over.
    bool cartucheira_ilegivel = false;
    TColorBtn *botao_atual = nullptr; // the cartridge the mouse was last over; clicks act on it
    TThreadedTimer *Timer_botonera = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *LimparCartucheira1 = nullptr;
    // The ten shortcuts, fired by Ctrl+1 ... Ctrl+9, Ctrl+0.
    std::shared_ptr<Atalhos> atalhos;

    void cria_cartuchos();
    void CartucheiraMouseMove(TColorBtn *botao);
    void CartucheiraDragOver(QDragMoveEvent *evento);
    void CartucheiraDragDrop(TColorBtn *botao, const QMimeData *dados);
    bool limpa_cartucheira();
    void carrega_grupo(const QString &nome);
    void grava_grupo(const QString &nome);
    void LimparCartucheira1Click();
    void CartucheiraClick();
    void Timer_botoneraTimer();
    void Cartucho_Stop(TMorvelBass *sender);

    void play_atalho(const QString &caminho);
    void PlayAtalho011Click(), PlayAtalho012Click(), PlayAtalho013Click(), PlayAtalho014Click(), PlayAtalho051Click();
    void PlayAtalho061Click(), PlayAtalho071Click(), PlayAtalho081Click(), PlayAtalho091Click(), PlayAtalho101Click();
    // Writes the shortcut file (or deletes it when all are empty); says so when it cannot.
    void grava_atalhos();

protected:
    bool eventFilter(QObject *alvo, QEvent *evento) override;

private:
    bool carrega_cartucho(int n);
    bool algum_tocando() const;
    Tform_mixer &m_console;
};
