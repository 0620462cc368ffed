#pragma once
// General routines shared by every window: messages to the operator and small text helpers.
#include <QString>
#include <functional>

class QWidget;

namespace funcoes {

// The window a new box or window belongs to: the open modal one, else the active one, else
// the visible window that stays on top (the console). Given as parent and kept on top, a box
// opens above the console and takes the keyboard.
QWidget *janela_dona();

// A plain message box with an OK button.
void mensagem(const QString &texto, const QString &titulo = QString());
// A beep, then a plain message box.
void bip_mensagem(const QString &texto);
// A beep, then an OK/Cancel box captioned "Zyrtan Sistemas"; true on OK.
bool confirma(const QString &texto);
// Strips leading blanks; pads with zeros on the left up to `largura` when shorter,
// otherwise returns the text as it came.
QString zeros_esquerda(const QString &texto, int largura);

// Programs without a window (the command-line player, engine tests) may route messages
// elsewhere; an empty function restores the message boxes.
using MessageHook = std::function<void(const QString &)>;
void setMessageHook(MessageHook hook);
MessageHook messageHook();

} // namespace funcoes
