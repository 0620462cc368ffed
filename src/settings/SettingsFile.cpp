#include "settings/SettingsFile.h"

#include <limits>

namespace SettingsFile {

QString nomeArquivo()
{
    return QStringLiteral("VELARIX4.INI");
}

QString le_chave(const QStringList &linhas, const QString &chave, const QString &padrao)
{
    const QString procurada = chave + QLatin1Char('=');
    for (const QString &linha : linhas) {
        if (!linha.contains(procurada))
            continue;
        return linha.mid(linha.indexOf(QLatin1Char('=')) + 1).left(255);
    }
    return padrao;
}

bool inteiro(const QString &texto, int *valor)
{
    const QString t = texto.trimmed();
    if (t.isEmpty())
        return false;
    int i = 0;
    if (t.at(0) == QLatin1Char('+') || t.at(0) == QLatin1Char('-'))
        ++i;
    if (i == t.size())
        return false;
    for (int k = i; k < t.size(); ++k)
        if (t.at(k) < QLatin1Char('0') || t.at(k) > QLatin1Char('9'))
            return false;
    bool ok = false;
    const qlonglong n = t.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        return false;
    *valor = int(n);
    return true;
}

namespace {
struct Leitura
{
    const char *chave;
    const char *padrao;
    int Valores::*campo;
};
} // namespace

QString le_valores(const QStringList &linhas, Valores *v, QStringList *lidas)
{
    // The reading order, which is not the file's order: a failure leaves every later key
    // as it was, so the order is part of the behaviour.
    static const Leitura antes[] = {
        {"AUTOMIXAR", "1", &Valores::automixar},
        {"WAV", "0", &Valores::wav},
        {"MP3", "1", &Valores::mp3},
        {"CLIPS", "0", &Valores::clips},
    };
    static const Leitura depois[] = {
        {"GRAFICO01", "0", &Valores::grafico01},
        {"GRAFICO02", "0", &Valores::grafico02},
        {"DEVICE_TRANSMISSAO", "1", &Valores::device_transmissao},
        {"DEVICE_CUE", "1", &Valores::device_cue},
        {"ATIVA_SENSOR", "1", &Valores::ativa_sensor},
        {"VLR_SENSOR", "20", &Valores::vlr_sensor},
        {"DRIVE", "1", &Valores::drive},
        {"FADE", "6000", &Valores::fade},
        {"BT_CAPTURAGR", "0", &Valores::bt_capturagr},
        {"EQ_ATIVA", "0", &Valores::eq_ativa},
        {"EQ_VOLUME", "75", &Valores::eq_volume},
    };
    auto le = [&](const Leitura &l) {
        const QString chave = QString::fromLatin1(l.chave);
        int n = 0;
        if (!inteiro(le_chave(linhas, chave, QString::fromLatin1(l.padrao)), &n))
            return false;
        v->*l.campo = n;
        if (lidas)
            *lidas << chave;
        return true;
    };
    for (const Leitura &l : antes)
        if (!le(l))
            return QString::fromLatin1(l.chave);
    v->tempo_mix_texto = le_chave(linhas, QStringLiteral("TEMPO_MIX"), QStringLiteral("3000"));
    for (const Leitura &l : depois)
        if (!le(l))
            return QString::fromLatin1(l.chave);
    for (int b = 0; b < 10; ++b) {
        const QString chave = QStringLiteral("EQ_BANDA%1").arg(b + 1, 2, 10, QLatin1Char('0'));
        int n = 0;
        if (!inteiro(le_chave(linhas, chave, QStringLiteral("10")), &n))
            return chave;
        v->eq_banda[size_t(b)] = n;
        if (lidas)
            *lidas << chave;
    }
    for (const Leitura &l : {Leitura{"OGG", "0", &Valores::ogg}, Leitura{"WMA", "0", &Valores::wma}})
        if (!le(l))
            return QString::fromLatin1(l.chave);
    return QString();
}

QStringList monta_linhas(const Valores &v)
{
    auto linha = [](const char *chave, int valor) {
        return QString::fromLatin1(chave) + QLatin1Char('=') + QString::number(valor);
    };
    QStringList l;
    l << linha("CAPTURAGR", v.capturagr) << linha("AUTOMIXAR", v.automixar) << linha("WAV", v.wav)
      << linha("MP3", v.mp3) << linha("OGG", v.ogg) << linha("WMA", v.wma) << linha("CLIPS", v.clips)
      << linha("TEMPO_MIX", v.tempo_mix) << linha("GRAFICO01", v.grafico01) << linha("GRAFICO02", v.grafico02)
      << linha("DEVICE_TRANSMISSAO", v.device_transmissao) << linha("DEVICE_CUE", v.device_cue)
      << linha("ATIVA_SENSOR", v.ativa_sensor) << linha("VLR_SENSOR", v.vlr_sensor) << linha("DRIVE", v.drive)
      << linha("BUFFERS", v.buffers) << linha("FADE", v.fade) << linha("BT_CAPTURAGR", v.bt_capturagr)
      << linha("EQ_ATIVA", v.eq_ativa) << linha("EQ_VOLUME", v.eq_volume);
    for (int b = 0; b < 10; ++b)
        l << QStringLiteral("EQ_BANDA%1=%2").arg(b + 1, 2, 10, QLatin1Char('0')).arg(v.eq_banda[size_t(b)]);
    return l;
}

QString mensagemErroLeitura()
{
    return QStringLiteral("Erro na Leitura (INI)\rFeche o Velarix e execute novamente\rPara atualização dos dados");
}

} // namespace SettingsFile
