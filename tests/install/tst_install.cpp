// `cmake --install` into a scratch prefix: the program, its desktop entry (which must pass
// desktop-file-validate and hand the opened file to the program) and its icons.
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QXmlStreamReader>

using namespace testsupport;

class TestInstall : public QObject
{
    Q_OBJECT
    QTemporaryDir prefix;

    static QString buildDir()
    {
        // The program is built at <build>/app/velarix.
        return QFileInfo(QStringLiteral(VELARIX_EXE)).absoluteDir().absoluteFilePath(QStringLiteral(".."));
    }

    QString installed(const QString &relative) const { return prefix.path() + "/" + relative; }

private slots:
    void initTestCase()
    {
        QVERIFY(prefix.isValid());
        QProcess cmake;
        cmake.setProcessChannelMode(QProcess::MergedChannels);
        cmake.start(QStringLiteral("cmake"), {"--install", buildDir(), "--prefix", prefix.path()});
        QVERIFY(cmake.waitForFinished(120000));
        QVERIFY2(cmake.exitCode() == 0, cmake.readAll().constData());
    }

    void installsTheProgram()
    {
        const QFileInfo exe(installed("bin/velarix"));
        QVERIFY(exe.isFile());
        QVERIFY(exe.isExecutable());
        QCOMPARE(exe.size(), QFileInfo(QStringLiteral(VELARIX_EXE)).size());
    }

    void desktopEntryIsValidAndOpensFiles()
    {
        const QString entry = installed("share/applications/velarix.desktop");
        QVERIFY(QFileInfo::exists(entry));
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(QStringLiteral("desktop-file-validate"), {entry});
        QVERIFY2(validate.waitForStarted(), "desktop-file-validate is not installed");
        QVERIFY(validate.waitForFinished(30000));
        const QByteArray said = validate.readAll();
        QVERIFY2(validate.exitCode() == 0 && said.trimmed().isEmpty(), said.constData());

        QHash<QString, QString> keys;
        for (const QByteArray &line : readBytes(entry).split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0)
                keys.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
        }
        // "Open with" hands one file to the program, which plays it as its start-up file.
        QCOMPARE(keys.value("Exec"), QString("velarix %f"));
        QCOMPARE(keys.value("Icon"), QString("velarix"));
        const QStringList types = keys.value("MimeType").split(';', Qt::SkipEmptyParts);
        for (const char *t : {"audio/mpeg", "audio/x-wav", "audio/ogg", "audio/x-ms-wma"})
            QVERIFY2(types.contains(QString::fromLatin1(t)), t);
    }

    void installsTheIconInBothForms()
    {
        QFile svg(installed("share/icons/hicolor/scalable/apps/velarix.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&svg);
        int shapes = 0;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && (xml.name() == u"circle" || xml.name() == u"rect"))
                ++shapes;
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(shapes > 5);

        const QImage png(installed("share/icons/hicolor/256x256/apps/velarix.png"));
        QCOMPARE(png.size(), QSize(256, 256));
        QVERIFY(png.hasAlphaChannel());
        QCOMPARE(qAlpha(png.pixel(1, 1)), 0);
        QCOMPARE(qAlpha(png.pixel(128, 128)), 255);
    }
};

VELARIX_TEST_MAIN(TestInstall)
#include "tst_install.moc"
