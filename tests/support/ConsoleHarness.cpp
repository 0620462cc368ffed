#include "ConsoleHarness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>

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
    QListWidget *list = deck == 1 ? m.ListBox1 : m.ListBox2;
    QStringList &files = deck == 1 ? m.arquivos_a : m.arquivos_b;
    for (const QString &p : paths) {
        list->addItem(QFileInfo(p).fileName().toUpper());
        files << p;
    }
}

} // namespace testsupport
