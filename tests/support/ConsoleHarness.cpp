#include "ConsoleHarness.h"

#include "settings/DataFolder.h"
#include "settings/TextFile.h"
#include "settings/uform_config.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace testsupport {

BoxAnswerer::BoxAnswerer(QMessageBox::StandardButton b)
    : button(b)
{
    m_poll.setInterval(10);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        texts << box->text();
        captions << box->windowTitle();
        QAbstractButton *target = box->button(button);
        if (!target)
            target = box->buttons().value(0);
        if (target)
            target->click();
    });
    m_poll.start();
}

void fillDeck(Tform_mixer &m, int deck, const QStringList &paths)
{
    QListWidget *list = m.deck(deck).lista;
    QStringList &files = m.deck(deck).arquivos;
    for (const QString &p : paths) {
        list->addItem(QFileInfo(p).fileName().toUpper());
        files << p;
    }
}

void openConsoleOn(std::unique_ptr<Tform_mixer> &m, const QStringList &libraryLines)
{
    const QString library = DataFolder::filePath("lista.upd");
    QFile::remove(library);
    QVERIFY(TextFile::writeLines(library, libraryLines));
    m = std::make_unique<Tform_mixer>();
    m->show();
    QVERIFY(QTest::qWaitForWindowExposed(m.get()));
}

void openMixingConsole(std::unique_ptr<Tform_mixer> &m, std::unique_ptr<Tform_config> &config)
{
    m = std::make_unique<Tform_mixer>();
    config = std::make_unique<Tform_config>(m.get());
    m->show();
    QVERIFY(QTest::qWaitForWindowExposed(m.get()));
    m->tempo_fade = 600;
}

void closeMixingConsole(std::unique_ptr<Tform_mixer> &m, std::unique_ptr<Tform_config> &config)
{
    m->deck_a->canal->OnStop = nullptr;
    m->deck_b->canal->OnStop = nullptr;
    config.reset();
    m.reset();
}

} // namespace testsupport
