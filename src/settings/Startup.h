#pragma once
// The pieces of the program's start-up that need no window: the command-line parameters,
// the minimum screen, the second-copy notice and the check of the program's time format.
#include "settings/DataFolder.h"

#include <QSize>
#include <QString>
#include <QStringList>

namespace Startup {

// The application title set while the splash is up.
QString tituloAplicacao();

// Qt's own texts (the buttons of the question boxes, the file dialogs) in Brazilian
// Portuguese, as the console's own; false when the translation is not installed.
bool traduzQt();

// The version the window caption shows.
QString versao(); // "5.1.5"
// What `velarix --version` and `velarix --help` print.
QString textoVersao();
QString textoAjuda();
// Answers an option that needs neither window, display nor sound card: `--version` or
// `--help` (`-h`) prints its text to stdout and gives the exit code 0; any other argument
// gives -1 (the program goes on starting).
int respondeOpcao(const QString &argumento);

// The parameters joined into one text, each preceded by one blank, in order; a parameter
// that holds blanks stays whole. `argumentos` are the parameters only (no program name).
QString parametros(const QStringList &argumentos);
// The same for this process: QCoreApplication::arguments() without the program itself.
QString parametros();

// Screens narrower than this are refused; the height is not looked at.
constexpr int larguraMinimaTela = 1024;
bool telaAceita(const QSize &tela);
QString mensagemTelaMinima();
// Shows mensagemTelaMinima() when the screen is too narrow; true when the screen will do.
bool verificaTela(const QSize &tela);

// The notice a second start shows before it hands over to the running copy.
QString textoCopiaAberta();
QString tituloCopiaAberta();
void avisaCopiaAberta();

// The program's own time format, the one every time display is cut out of. The system's
// settings are never read or changed.
QString formatoHoraPadrao(); // "HH:mm:ss"
QString formatoHora();
void setFormatoHora(const QString &formato);

// Checks that formatoHora() reads and writes midnight as "00:00:00". When it does not, the
// operator is asked (confirma) whether to set it to "HH:mm:ss". True when nothing was wrong.
bool verifica_formato_hora();

// The media library file: while it is missing (first run), the time format is checked.
QString arquivoBiblioteca(); // "lista.upd"
bool precisaVerificarFormatoHora(const QString &pastaDados);
// Runs verifica_formato_hora() when the library file is missing in `pastaDados`.
// Returns whether the check ran (its own result is of no use to the start-up).
bool verificaFormatoHoraSePrimeiraVez(const QString &pastaDados = DataFolder::path());

} // namespace Startup
