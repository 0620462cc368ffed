#pragma once
// Drives the real console window in a test: fills the decks' lists, answers message boxes.
#include "console/UMIXER.h"

#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <memory>

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

} // namespace testsupport
