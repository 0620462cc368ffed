#pragma once
// Drives the real console window in a test: fills the decks' lists, answers message boxes.
#include "console/UMIXER.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTableView>
#include <QPointer>
#include <QTimer>
#include <memory>

class Tform_config;

namespace testsupport {

// Watches for the next modal message box, records its text and presses `button` on it.
class BoxAnswerer : public QObject
{
    Q_OBJECT
public:
    explicit BoxAnswerer(QMessageBox::StandardButton button = QMessageBox::Ok);
    QStringList texts;
    QStringList captions;
    QMessageBox::StandardButton button;

private:
    QTimer m_poll;
};

// Puts the given files on a deck's list as the list editing would.
void fillDeck(Tform_mixer &m, int deck, const QStringList &paths);

// Writes the library file with these lines, then shows a new console on it.
void openConsoleOn(std::unique_ptr<Tform_mixer> &m, const QStringList &libraryLines);

// Shows a new console with its settings window; fades last 600 ms.
void openMixingConsole(std::unique_ptr<Tform_mixer> &m, std::unique_ptr<Tform_config> &config);
// Closes them again, the decks' end-of-track calls first.
void closeMixingConsole(std::unique_ptr<Tform_mixer> &m, std::unique_ptr<Tform_config> &config);

} // namespace testsupport
