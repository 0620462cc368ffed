#pragma once
// The folder window of the capture by folder: the operator picks the folder to search and
// whether its subfolders count.
#include <QDialog>
#include <QString>

class QCheckBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

class Tform_dir : public QDialog
{
    Q_OBJECT
public:
    explicit Tform_dir(QWidget *parent = nullptr);
    ~Tform_dir() override;

    QLabel *Label1;
    QCheckBox *CheckBox1;          // "Incluir SubDiretórios"
    QTreeView *DirectoryListBox1;  // the folder list
    QPushButton *BitBtn1, *BitBtn2; // "OK", "Cancelar"

    // Shows the window modally, starting at `pasta_inicial`; true when a folder was accepted.
    bool executa(const QString &pasta_inicial);

    // The outcome of the last showing.
    bool aceito() const { return m_aceito; }
    QString pasta_selecionada() const { return m_pasta; }
    bool incluir_subdiretorios() const;

    void DirectoryListBox1Click(const QModelIndex &indice);
    void BitBtn1Click();
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QFileSystemModel *m_modelo;
    QString m_inicial;
    QString m_pasta;
    bool m_aceito = false;
};

extern Tform_dir *form_dir;
