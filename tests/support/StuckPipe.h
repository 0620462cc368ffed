#pragma once
// A named pipe whose writer sends a WAV header and `seconds` of a 440 Hz tone (none: not even
// the header), then holds it open without sending more, as a file on a drive that stopped
// answering. Shared by the sound tests and the sound benchmark.
#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class StuckPipe
{
public:
    StuckPipe(const QString &path, double seconds, int rate)
        : m_path(QFile::encodeName(path))
    {
        ::unlink(m_path.constData());
        m_ok = ::mkfifo(m_path.constData(), 0600) == 0;
        if (m_ok)
            m_writer = std::thread([this, seconds, rate] { write(seconds, rate); });
    }
    ~StuckPipe()
    {
        m_quit = true;
        if (m_writer.joinable())
            m_writer.join();
        ::unlink(m_path.constData());
    }
    bool ok() const { return m_ok; }
    QString path() const { return QFile::decodeName(m_path); }

private:
    void write(double seconds, int rate)
    {
        int fd = -1;
        while (!m_quit && fd < 0) {
            fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (fd < 0)
            return;
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        if (seconds > 0) {
            const quint32 announced = 60 * rate * 4; // a minute, most of it never sent
            out.writeRawData("RIFF", 4);
            out << quint32(36 + announced);
            out.writeRawData("WAVEfmt ", 8);
            out << quint32(16) << quint16(1) << quint16(2) << quint32(rate) << quint32(rate * 4) << quint16(4)
                << quint16(16);
            out.writeRawData("data", 4);
            out << announced;
            for (int i = 0; i < int(seconds * rate); ++i) {
                const qint16 v = qint16(8000 * std::sin(2 * M_PI * 440 * i / rate));
                out << v << v;
            }
        }
        int sent = 0;
        while (!m_quit) {
            if (sent < data.size()) {
                const ssize_t n = ::write(fd, data.constData() + sent, size_t(data.size() - sent));
                if (n > 0)
                    sent += int(n);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ::close(fd);
    }
    QByteArray m_path;
    bool m_ok = false;
    std::atomic<bool> m_quit{false};
    std::thread m_writer;
};
