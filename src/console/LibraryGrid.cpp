// The library grid: loading "lista.upd", deleting a track from it, its context menu and the
// type-ahead search by the first letters of a title.
#include "Acervo.h"

#include "UMIXER.h"
#include "library/LibraryFile.h"
#include "library/LibraryModel.h"
#include "settings/DataFolder.h"
#include "settings/funcoes.h"
#include "widgets/ColorButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

void Acervo::habilita_com_biblioteca()
{
    m_console.deck_a->adicionar->setEnabled(true);
    m_console.deck_b->adicionar->setEnabled(true);
    bitbtn21->setEnabled(true);
    bitbtn13->setEnabled(true);
}

void Acervo::carrega_biblioteca()
{
    QString erro;
    const LibraryModel::LoadResult r = biblioteca->load(DataFolder::filePath(LibraryFile::fileName()), &erro);
    if (r == LibraryModel::LoadResult::Unreadable) {
        funcoes::mensagem(erro);
        return;
    }
    if (r != LibraryModel::LoadResult::Loaded)
        return;
    // A fresh load starts on the first track, as a grid does.
    if (biblioteca->trackCount() > 0) {
        StringGrid1->setCurrentIndex(biblioteca->index(0, LibraryModel::TitleColumn));
        habilita_com_biblioteca();
    }
}

void Acervo::PopupMenu7Popup()
{
    Play3->setEnabled(bitbtn21->isEnabled());
    Stop3->setEnabled(bitbtn23->isEnabled());
    // A track is deleted only while the centre player is idle.
    Excluir1->setEnabled(bitbtn21->isEnabled());
}

void Acervo::Excluir1Click()
{
    const int linha = StringGrid1->currentIndex().row();
    if (linha < 0)
        return;
    const LibraryModel::DeleteResult r = biblioteca->deleteTrack(linha);
    if (r != LibraryModel::DeleteResult::Deleted && r != LibraryModel::DeleteResult::Mismatch
        && r != LibraryModel::DeleteResult::WriteFailed)
        return;
    // The rows were reloaded: stay on the same place, so the next track is under the cursor.
    if (biblioteca->trackCount() > 0) {
        StringGrid1->setCurrentIndex(biblioteca->index(qMin(linha, biblioteca->trackCount() - 1), LibraryModel::TitleColumn));
        habilita_com_biblioteca();
    }
}

bool Acervo::StringGrid1KeyDown(QKeyEvent *tecla)
{
    const int atual = StringGrid1->currentIndex().row();
    const LibraryModel::TypeAheadStep passo =
        LibraryModel::typeAhead(*biblioteca, atual, prefixo_busca, tecla->key(), tecla->text());
    const QString texto = tecla->text();
    const bool imprimivel = !texto.isEmpty() && texto.at(0).isPrint();
    // On a row without a title the key is ignored, but a typed character still must not
    // reach the view's own search, which would jump elsewhere.
    if (passo.ignored)
        return imprimivel;
    prefixo_busca = passo.prefix;
    if (passo.row != atual && passo.row >= 0)
        StringGrid1->setCurrentIndex(biblioteca->index(passo.row, LibraryModel::TitleColumn));
    edit1->setText(passo.searchText);
    // Typed characters belong to the type-ahead alone (the view would search by itself);
    // arrows, pages and the like go on to the grid.
    return tecla->key() == Qt::Key_Backspace || imprimivel;
}
