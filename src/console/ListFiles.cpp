// Saving a deck's programme list to an ".ipk" file (or an M3U or PLS playlist) and opening
// one into either deck.
#include "UMIXER.h"

#include "lists/ListFile.h"
#include "lists/PlaylistFormats.h"
#include "settings/DataFolder.h"
#include "settings/funcoes.h"
#include "widgets/LedNumber.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// The dialogs' file types: each deck has always had its own wording. Names are matched
// case-sensitively here, and earlier versions saved upper case: both spellings are listed.
QString filtro(int deck)
{
    // Other programs' playlists come after the console's own type, which stays the default.
    const QString outras = QStringLiteral(";;Lista M3U (*.m3u *.m3u8);;Lista PLS (*.pls)");
    return (deck == 1 ? QStringLiteral("Lista Quorvanti Velarix (*.ipk *.IPK)") : QStringLiteral("Lista Quorvanti (*.ipk *.IPK)")) + outras;
}

QString dialogo_real(QWidget *pai, int deck, bool salvar, const QString &filtro, const QString &pasta,
                     const QString &nome)
{
    QFileDialog dlg(pai);
    dlg.setObjectName(salvar ? (deck == 1 ? QStringLiteral("SaveDialog1") : QStringLiteral("SaveDialog2"))
                             : (deck == 1 ? QStringLiteral("OpenDialog1") : QStringLiteral("OpenDialog2")));
    dlg.setNameFilter(filtro);
    // A bare name saved under the M3U or PLS type gets that type's extension.
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString &f) {
        dlg.setDefaultSuffix(f.contains(QLatin1String("*.m3u")) ? QStringLiteral("m3u")
                             : f.contains(QLatin1String("*.pls")) ? QStringLiteral("pls") : QString());
    });
    dlg.setDirectory(pasta);
    dlg.setAcceptMode(salvar ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // An existing name is asked about by the save rule itself, once.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.setFileMode(salvar ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (salvar && !nome.isEmpty())
        dlg.selectFile(nome);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().constFirst();
}

} // namespace

static QString escolhe(Tform_mixer *m, int deck, bool salvar, const QString &nome)
{
    const QString pasta = DataFolder::path();
    const QString escolhido = m->escolhe_arquivo ? m->escolhe_arquivo(deck, salvar, filtro(deck), pasta, nome)
                                                 : dialogo_real(m, deck, salvar, filtro(deck), pasta, nome);
    // A bare name is taken in the folder the dialog started in.
    if (escolhido.trimmed().isEmpty() || QFileInfo(escolhido.trimmed()).isAbsolute())
        return escolhido;
    return QDir(pasta).filePath(escolhido.trimmed());
}

// ---------------- open ----------------

void Tform_mixer::bitbtn1Click() { abre_lista(1); }
void Tform_mixer::BitBtn12Click() { abre_lista(2); }

void Tform_mixer::abre_lista(int deck)
{
    const QString nome = escolhe(this, deck, false, QString());
    if (!nome.isEmpty())
        abre_lista_arquivo(deck, nome);
}

void Tform_mixer::OpenDialog1CanClose(const QString &nome) { abre_lista_arquivo(1, nome); }
void Tform_mixer::OpenDialog2CanClose(const QString &nome) { abre_lista_arquivo(2, nome); }

void Tform_mixer::abre_lista_arquivo(int deck, const QString &nome)
{
    QListWidget *lista = deck == 1 ? ListBox1 : ListBox2;
    QStringList &caminhos = deck == 1 ? arquivos_a : arquivos_b;
    LedNumber *contador = deck == 1 ? CONTA_ESQUERDA : conta_direita;
    lista->clear();
    caminhos.clear();

    PlaylistFormats::Opened aberta = PlaylistFormats::open(nome);
    if (aberta.status == ListFile::OpenStatus::Missing) {
        contador->setValue(0);
        funcoes::bip_mensagem(QStringLiteral("Arquivo não Localizado - Verifique !!"));
        return;
    }
    if (aberta.status == ListFile::OpenStatus::Unreadable) {
        contador->setValue(0);
        funcoes::mensagem(aberta.error);
        return;
    }
    // Titles and paths go in together, with no event processed in between: an event handled
    // half-way (a Clear, say) would leave the two lists of unequal length.
    caminhos = aberta.paths;
    lista->addItems(aberta.titles);
    (deck == 1 ? lista_aberta_a : lista_aberta_b) = nome;
    contador->setValue(lista->count());
    if (lista->count() > 0) {
        lista->setCurrentRow(0);
        deck == 1 ? ListBox1Click() : ListBox2Click();
    }
    // One count for all entries of another program's playlist that are not on this machine.
    if (aberta.missing > 0)
        funcoes::bip_mensagem(QStringLiteral("Arquivos não localizados nesta lista: %1").arg(aberta.missing));
}

// ---------------- save ----------------

void Tform_mixer::bitbtn10Click() { salva_lista(1); }
void Tform_mixer::BitBtn16Click() { salva_lista(2); }

void Tform_mixer::salva_lista(int deck)
{
    if ((deck == 1 ? ListBox1 : ListBox2)->count() == 0) {
        funcoes::bip_mensagem(QStringLiteral("Seleção está vazia"));
        return;
    }
    const QString &aberta = deck == 1 ? lista_aberta_a : lista_aberta_b;
    QString &ultimo = deck == 1 ? m_nome_salvo_a : m_nome_salvo_b;
    const QString nome = escolhe(this, deck, true, aberta.isEmpty() ? ultimo : aberta);
    if (nome.isEmpty())
        return;
    ultimo = QFileInfo(nome).fileName();
    salva_lista_arquivo(deck, nome);
}

void Tform_mixer::SaveDialog1CanClose(const QString &nome) { salva_lista_arquivo(1, nome); }
void Tform_mixer::SaveDialog2CanClose(const QString &nome) { salva_lista_arquivo(2, nome); }

void Tform_mixer::salva_lista_arquivo(int deck, const QString &nome)
{
    const QString alvo = PlaylistFormats::saveTarget(nome);
    if (alvo.isEmpty())
        return;
    if (QFileInfo::exists(alvo)
        && !funcoes::confirma(QStringLiteral("Arquivo de Seleção já Existe - Substitui-lo ??")))
        return;
    QStringList titulos;
    for (int i = 0; i < (deck == 1 ? ListBox1 : ListBox2)->count(); ++i)
        titulos << (deck == 1 ? ListBox1 : ListBox2)->item(i)->text();
    if (!PlaylistFormats::save(alvo, titulos, deck == 1 ? arquivos_a : arquivos_b))
        funcoes::mensagem(QStringLiteral("Ocorreu um erro durante a gravação do arquivo"));
}
