#include "udir.h"

#include "library/TvelarixScan.h"
#include "settings/funcoes.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

Tform_dir *form_dir = nullptr;

Tform_dir::Tform_dir(QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog)
{
    setObjectName(QStringLiteral("form_dir"));
    setWindowTitle(QStringLiteral("Captura por Diretório"));
    setModal(true);
    setFixedSize(495, 327);
    setStyleSheet(QStringLiteral("Tform_dir { background: #2b2f33; border: 1px solid #0c0c0c; }"
                                 "QLabel, QCheckBox { color: #f0f0f0; }"));

    Label1 = new QLabel(QStringLiteral("Selecione a Pasta Musical"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(12, 8, 300, 22);
    QFont f = Label1->font();
    f.setBold(true);
    f.setPixelSize(14);
    Label1->setFont(f);

    CheckBox1 = new QCheckBox(QStringLiteral("Incluir SubDiretórios"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(320, 10, 165, 20);
    CheckBox1->setChecked(true);

    m_modelo = new QFileSystemModel(this);
    m_modelo->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_modelo->setRootPath(QString());
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(12, 38, 471, 238);
    DirectoryListBox1->setModel(m_modelo);
    for (int c = 1; c < m_modelo->columnCount(); ++c)
        DirectoryListBox1->hideColumn(c);
    DirectoryListBox1->header()->hide();
    connect(DirectoryListBox1, &QTreeView::clicked, this, &Tform_dir::DirectoryListBox1Click);
    // Moving through the folders with the keyboard picks a folder as a click does.
    connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &indice) { DirectoryListBox1Click(indice); });

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(300, 288, 88, 30);
    BitBtn1->setAutoDefault(false);
    BitBtn2 = new QPushButton(QStringLiteral("Cancelar"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(395, 288, 88, 30);
    BitBtn2->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &Tform_dir::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &Tform_dir::BitBtn2Click);

    form_dir = this;
}

Tform_dir::~Tform_dir()
{
    if (form_dir == this)
        form_dir = nullptr;
}

bool Tform_dir::incluir_subdiretorios() const
{
    return CheckBox1->isChecked();
}

bool Tform_dir::executa(const QString &pasta_inicial)
{
    m_inicial = pasta_inicial;
    exec();
    return m_aceito;
}

void Tform_dir::showEvent(QShowEvent *event)
{
    m_pasta.clear();
    m_aceito = false;
    if (QScreen *tela = screen() ? screen() : QGuiApplication::primaryScreen())
        move(tela->geometry().center() - rect().center());
    // Opening the list on the last capture folder; a folder that is gone just shows the top.
    const QModelIndex inicio = m_modelo->index(QDir::fromNativeSeparators(m_inicial));
    if (inicio.isValid()) {
        DirectoryListBox1->setCurrentIndex(inicio);
        DirectoryListBox1->expand(inicio);
        DirectoryListBox1->scrollTo(inicio);
    }
    DirectoryListBox1->clearSelection();
    m_pasta.clear(); // opening on the last folder is not a choice
    QDialog::showEvent(event);
}

void Tform_dir::DirectoryListBox1Click(const QModelIndex &indice)
{
    if (!indice.isValid())
        return;
    m_pasta = QDir::toNativeSeparators(m_modelo->filePath(indice));
}

void Tform_dir::BitBtn1Click()
{
    const QString pasta = m_pasta.trimmed();
    // A volume root is refused: a folder capture is for one folder, the general capture
    // covers a whole volume.
    const bool raiz = !pasta.isEmpty()
                      && QDir::cleanPath(QDir::fromNativeSeparators(pasta))
                             == QDir::cleanPath(QDir::fromNativeSeparators(TvelarixScan::volumeRootOf(pasta)));
    if (pasta.size() <= 3 || raiz) {
        funcoes::mensagem(QStringLiteral("Selecione uma Pasta"));
        return;
    }
    m_aceito = true;
    accept();
}

void Tform_dir::BitBtn2Click()
{
    m_aceito = false;
    reject();
}
