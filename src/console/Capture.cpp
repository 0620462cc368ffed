// The capture: searching a whole volume or one folder for audio files and replacing the
// media library with what was found. A second click on the capture button cancels.
#include "Acervo.h"

#include "Ajustes.h"
#include "UMIXER.h"

#include "library/LibraryFile.h"
#include "library/LibraryModel.h"
#include "library/TvelarixScan.h"
#include "library/udir.h"
#include "settings/DataFolder.h"
#include "settings/funcoes.h"
#include "widgets/ColorButton.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QDir>
#include <QElapsedTimer>

namespace {

const QString kAguarde = QStringLiteral("AGUARDE LOCALIZANDO MÍDIA...");

} // namespace

namespace {

QString com_separador(const QString &pasta)
{
    QString p = QDir::toNativeSeparators(pasta.trimmed());
    if (!p.isEmpty() && !p.endsWith(QDir::separator()))
        p += QDir::separator();
    return p;
}

} // namespace

void Acervo::BitBtn13Click()
{
    if (m_capturando) {
        // Cancel: the running scan winds down and keeps what it found.
        MixerScan1->Cancel();
        funcoes::mensagem(QStringLiteral("Captura Cancelada pelo usuário"));
        Label33->setText(QStringLiteral("status"));
        bitbtn13->setText(QStringLiteral("Capturar"));
        return;
    }

    MixerScan1->setXnivel(quint16(5 * (Ajustes::nivel_captura() + 1)));
    const QString raiz = com_separador(volumeRootFromText(DriveComboBox1->currentText()));
    QString pasta;
    if (captura_geral->isChecked()) {
        pasta = raiz;
        MixerScan1->setSubDirectories(true);
        // Depths count from the selected volume's root.
        MixerScan1->setVolumeRoot(raiz);
    } else {
        if (pasta_captura.trimmed().isEmpty()
            || !QDir::fromNativeSeparators(pasta_captura).startsWith(QDir::fromNativeSeparators(raiz), Qt::CaseInsensitive))
            pasta_captura = raiz;
        Tform_dir *janela = form_dir ? form_dir : new Tform_dir(&m_console);
        if (!janela->executa(pasta_captura)) {
            bitbtn13->setEnabled(true);
            carrega_biblioteca();
            return;
        }
        pasta_captura = janela->pasta_selecionada();
        MixerScan1->setSubDirectories(janela->incluir_subdiretorios());
        MixerScan1->setXnivel(20);
        MixerScan1->setVolumeRoot(QString());
        pasta = com_separador(pasta_captura);
    }
    MixerScan1->setFilePath(pasta);
    MixerScan1->setSearchFilter(Ajustes::padroes_captura());

    m_capturando = true;
    m_captura_descartada = false;
    Label33->setText(kAguarde);
    bitbtn13->setText(QStringLiteral("Cancelar"));
    CoolGauge1->hide();
    // Events are handled before every entry, so the console stays usable and the second
    // click on the button reaches the cancel; the count found so far shows beside the text.
    QElapsedTimer desde;
    desde.start();
    qint64 ultima = -1;
    MixerScan1->setProgressCallback([this, &desde, &ultima](int encontrados) {
        if (m_capturando && (ultima < 0 || desde.elapsed() - ultima >= intervalo_contagem)) {
            ultima = desde.elapsed();
            Label33->setText(kAguarde + QStringLiteral(" %1").arg(encontrados));
        }
        QApplication::processEvents();
    });
    bool falhou = false;
    try {
        MixerScan1->Scan();
    } catch (...) {
        falhou = true;
    }
    MixerScan1->setProgressCallback(nullptr);
    m_capturando = false;
    // The operator confirmed the exit during the scan: the console is going away.
    if (m_captura_descartada)
        return;
    bitbtn13->setText(QStringLiteral("Capturar"));
    const int ignorados = MixerScan1->skippedNames();
    Label33->setText(ignorados == 0 ? QStringLiteral("Status")
                                    : QStringLiteral("Status - %1 nome(s) com quebra de linha ignorado(s)").arg(ignorados));
    CoolGauge1->show();
    if (falhou) {
        funcoes::mensagem(QStringLiteral("Erro ao localizar mídia"));
        return;
    }

    const QStringList linhas = MixerScan1->SearchResult();
    const LibraryModel::CaptureResult r =
        biblioteca->applyCapture(linhas, DataFolder::filePath(LibraryFile::fileName()));
    if (r == LibraryModel::CaptureResult::NothingFound) {
        // The library file was left as it was: the grid shows it again, and the operator hears why.
        funcoes::mensagem(QStringLiteral("Nenhuma música encontrada nesta captura - a biblioteca continua como estava"));
        carrega_biblioteca();
        return;
    }
    StringGrid1->setCurrentIndex(biblioteca->index(0, LibraryModel::TitleColumn));
    if (r == LibraryModel::CaptureResult::WriteFailed)
        funcoes::mensagem(QStringLiteral("Erro ao Salvar Lista de Músicas"));
    // With tracks on the grid, adding them to the decks and pre-listening work at once.
    bitbtn21->setEnabled(true);
    m_console.deck_a->adicionar->setEnabled(true);
    m_console.deck_b->adicionar->setEnabled(true);
}

void Acervo::cancela_captura_no_fechamento()
{
    if (!m_capturando)
        return;
    m_captura_descartada = true;
    MixerScan1->Cancel();
}
