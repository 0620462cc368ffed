#pragma once
// The about window: the product, its version, the maker's links and credits that rise
// through the right-hand panel. Every showing builds a window of its own.
#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;
class QUrl;

class Tform_about : public QDialog
{
    Q_OBJECT
public:
    explicit Tform_about(QWidget *parent = nullptr);
    ~Tform_about() override;

    // The maker's home page, the one every link and the site picture open.
    static QUrl enderecoPagina();
    // Builds a window, shows it modally and destroys it when it closes.
    static void mostra();

    QLabel *ProductName, *Version, *Label1;
    QWidget *Panel3;
    QLabel *sistemas, *cidade, *Label2, *Label3;
    QPushButton *OKButton;
    QTimer *Timer1;

    // Places the credits again from the panel's bottom.
    void posiciona_creditos();
    // One step of the rising credits.
    void Timer1Timer();

protected:
    void showEvent(QShowEvent *event) override;
};

extern Tform_about *form_about;
