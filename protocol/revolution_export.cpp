#include "revolution_export.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

// The decoders turn tenths of a degree into radians with this value of pi;
// using it back gives the degrees the scanner sent.
constexpr double kRadToDeg = 180.0 / 3.1415926535898;

int validCount(const RawData& fan) {
    return fan.count < kMaxFanPoints ? fan.count : kMaxFanPoints;
}

void appendFormatted(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendFormatted(std::string& out, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n > 0) out.append(text, size_t(n) < sizeof text ? size_t(n) : sizeof text - 1);
}

void appendStamp(std::string& out, const RawData& fan) {
    // Microseconds are below one second by construction; keep the sign of
    // the seconds so that a stamp before the epoch still reads right.
    const long long usec = fan.stampUsec;
    const long long total = (long long)fan.stampSec * 1000000LL + usec;
    const char* sign = total < 0 ? "-" : "";
    const long long a = total < 0 ? -total : total;
    appendFormatted(out, "%s%lld.%06lld", sign, a / 1000000LL, a % 1000000LL);
}

struct PlanePoint {
    double x, y;
};

// A coordinate that prints as zero prints without a sign.
double tidy(double v) {
    return std::fabs(v) < 5e-7 ? 0.0 : v;
}

PlanePoint plane(const RawPoint& p) {
    return {tidy(double(p.distance) * std::cos(double(p.angle))),
            tidy(double(p.distance) * std::sin(double(p.angle)))};
}

QString tr(const char* text) {
    return QCoreApplication::translate("RevolutionExporter", text);
}

QString plyName(int index) {
    return QStringLiteral("revolution_%1.ply").arg(index, 5, 10, QLatin1Char('0'));
}

bool writeAll(QFileDevice& file, const std::string& text) {
    return file.write(text.data(), qint64(text.size())) == qint64(text.size());
}

}  // namespace

bool parse_export_format(const std::string& text, ExportFormat& format) {
    std::string lower;
    for (char c : text) lower += char(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "csv") {
        format = ExportFormat::Csv;
        return true;
    }
    if (lower == "ply") {
        format = ExportFormat::Ply;
        return true;
    }
    return false;
}

std::string revolution_csv_header() {
    return "revolution,time_s,angle_deg,distance_m,x_m,y_m,energy\n";
}

void append_revolution_csv(std::string& out, int index, const Revolution& revolution) {
    for (const RawData& fan : revolution) {
        std::string stamp;
        appendStamp(stamp, fan);
        for (int i = 0; i < validCount(fan); ++i) {
            const RawPoint& p = fan.points[i];
            const PlanePoint xy = plane(p);
            appendFormatted(out, "%d,%s,%.4f,%.6f,%.6f,%.6f,%u\n", index, stamp.c_str(),
                            double(p.angle) * kRadToDeg, double(p.distance), xy.x, xy.y, unsigned(p.energy));
        }
    }
}

std::string revolution_ply(int index, const Revolution& revolution) {
    int points = 0;
    for (const RawData& fan : revolution) points += validCount(fan);
    std::string out = "ply\nformat ascii 1.0\n";
    appendFormatted(out, "comment vantrel revolution %d\n", index);
    if (!revolution.empty()) {
        out += "comment time_s ";
        appendStamp(out, revolution.front());
        out += '\n';
    }
    appendFormatted(out,
                    "element vertex %d\nproperty float x\nproperty float y\nproperty float z\n"
                    "property uchar energy\nend_header\n",
                    points);
    for (const RawData& fan : revolution) {
        for (int i = 0; i < validCount(fan); ++i) {
            const PlanePoint xy = plane(fan.points[i]);
            appendFormatted(out, "%.6f %.6f 0 %u\n", xy.x, xy.y, unsigned(fan.points[i].energy));
        }
    }
    return out;
}

// ---------------------------------------------------------------- exporter

struct RevolutionExporter::Files {
    std::unique_ptr<QSaveFile> csv;         // CSV, or the one PLY file
    std::unique_ptr<QTemporaryDir> folder;  // PLY files before they are moved into place
};

RevolutionExporter::RevolutionExporter(const QString& target, ExportFormat format)
    : m_target(target), m_format(format), m_files(std::make_unique<Files>()) {}

RevolutionExporter::~RevolutionExporter() {
    // Unfinished: QSaveFile discards its temporary file, QTemporaryDir
    // removes the folder with what was written so far.
    if (m_files->csv) m_files->csv->cancelWriting();
}

bool RevolutionExporter::fail(const QString& why) {
    if (!m_failed) m_error = why;
    m_failed = true;
    if (m_files->csv) m_files->csv->cancelWriting();
    return false;
}

bool RevolutionExporter::openCsv() {
    if (QFileInfo(m_target).isDir()) return fail(tr("%1 is a folder").arg(m_target));
    m_files->csv = std::make_unique<QSaveFile>(m_target);
    if (!m_files->csv->open(QIODevice::WriteOnly))
        return fail(tr("cannot write %1: %2").arg(m_target, m_files->csv->errorString()));
    return true;
}

bool RevolutionExporter::startFolder() {
    const QFileInfo target(m_target);
    if (target.exists() && !target.isDir()) return fail(tr("%1 exists and is not a folder").arg(m_target));
    if (target.isDir() && !QDir(m_target).isEmpty())
        return fail(tr("%1 exists and is not empty").arg(m_target));
    // Beside the target, so that the finished folder is moved in one rename.
    QString base = QDir::cleanPath(target.absoluteFilePath());
    m_files->folder = std::make_unique<QTemporaryDir>(base + QStringLiteral(".part-XXXXXX"));
    if (!m_files->folder->isValid())
        return fail(tr("cannot write %1: %2").arg(m_target, m_files->folder->errorString()));
    return true;
}

bool RevolutionExporter::writePly(int index, const Revolution& revolution) {
    const QString path = m_files->folder->filePath(plyName(index));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeAll(file, revolution_ply(index, revolution)) ||
        !file.commit())
        return fail(tr("cannot write %1: %2").arg(path, file.errorString()));
    return true;
}

bool RevolutionExporter::add(int index, const Revolution& revolution) {
    if (m_failed) return false;
    ++m_count;
    if (m_format == ExportFormat::Csv) {
        if (!m_files->csv) {
            if (!openCsv()) return false;
            if (!writeAll(*m_files->csv, revolution_csv_header()))
                return fail(tr("cannot write %1: %2").arg(m_target, m_files->csv->errorString()));
        }
        std::string text;
        append_revolution_csv(text, index, revolution);
        if (!writeAll(*m_files->csv, text))
            return fail(tr("cannot write %1: %2").arg(m_target, m_files->csv->errorString()));
        return true;
    }
    // PLY: one revolution into a file named OUT, several into a folder named
    // OUT; which one is known only when a second revolution arrives.
    if (!m_files->folder && m_count == 1 && !QFileInfo(m_target).isDir()) {
        m_pending = revolution;
        m_pendingIndex = index;
        return true;
    }
    if (!m_files->folder) {
        if (!startFolder()) return false;
        if (m_pendingIndex >= 0 && !writePly(m_pendingIndex, m_pending)) return false;
        m_pending.clear();
        m_pendingIndex = -1;
    }
    return writePly(index, revolution);
}

bool RevolutionExporter::finish() {
    if (m_failed) return false;
    if (m_count == 0) return false;
    if (m_format == ExportFormat::Csv) {
        if (!m_files->csv->commit())
            return fail(tr("cannot write %1: %2").arg(m_target, m_files->csv->errorString()));
        return true;
    }
    if (!m_files->folder) {
        QSaveFile file(m_target);
        if (!file.open(QIODevice::WriteOnly) || !writeAll(file, revolution_ply(m_pendingIndex, m_pending)) ||
            !file.commit())
            return fail(tr("cannot write %1: %2").arg(m_target, file.errorString()));
        return true;
    }
    // An empty folder at the target (checked when the folder started) gives
    // way to the finished one.
    // A temporary folder is private to its owner; the export is an ordinary one.
    QFile::setPermissions(m_files->folder->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                       QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                       QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                       QFileDevice::ExeOther);
    if (QFileInfo(m_target).isDir()) QDir().rmdir(m_target);
    if (!QDir().rename(m_files->folder->path(), m_target))
        return fail(tr("cannot write %1: the folder cannot be moved into place").arg(m_target));
    m_files->folder->setAutoRemove(false);
    return true;
}
