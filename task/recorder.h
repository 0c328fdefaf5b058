#pragma once
// The recorder: while the operator has "save log" on, every block received
// from the scanner is appended to a raw stream file, and every decoded sector
// to a text log, in a directory named after the second recording started:
//
//   <base>/korvLOG/yyyy_MM_dd/hh_mm_ss/{info0.txt, point0.txt, data0.dump}
//
// One process-wide object (instance()), created on first use and never
// destroyed. start()/stop() run on the GUI thread; the write functions are
// called by the receivers from their own threads. All of them are
// thread-safe: a stop racing a receiver's write never touches a closed file.
//
// Writers address a file by index (0 in the program). A write to an index
// that does not exist, or any write while not recording, is dropped.

#include <QDateTime>
#include <QString>
#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "rawdata.h"

namespace spdlog {
class logger;
}

class Recorder {
public:
    static Recorder& instance();

    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Creates <baseDir>/korvLOG/... for the current local time (baseDir empty:
    // the program's directory) and starts recording there with the files
    // info0.txt, point0.txt and data0.dump. Returns an empty text on success,
    // otherwise a translated error text for the operator (message type 1);
    // the recorder then stays idle.
    QString startRecording(const QString& baseDir);
    // The same, with the base directory taken from the settings value
    // "Logpath" of section "Standard".
    QString startRecording();

    // Starts recording in dir with, for each i < count, the files
    // infoName+i+".txt" (info log), dataName+i+".txt" (sector log) and
    // rawName+i+".dump" (raw stream); an empty name skips its file. A running
    // recording is stopped first. If any file cannot be opened nothing is
    // recorded and the error text is returned (empty text: success).
    QString start(const QString& dir, const QString& infoName, const QString& dataName,
                  const QString& rawName, int count);

    // Ends the recording and closes every file. Harmless when idle.
    void stop();

    bool isRecording() const { return m_recording.load(); }
    // Directory of the running or last recording ("" before the first).
    QString directory() const;

    // Appends len bytes unchanged to raw stream `index`, straight to the file
    // (no user-space buffering), so what was received is on disk even if the
    // program dies.
    void writeRaw(int index, const void* data, size_t len);
    // Logs one line (converted to the local 8-bit encoding) to sector log `index`.
    void writeText(int index, const QString& text);
    // Logs one already encoded line to sector log `index`.
    void writeTextLine(int index, const std::string& line);
    // Logs one sector line per fan of a revolution, in order, to sector log `index`.
    void writeRevolution(int index, const std::vector<RawData>& revolution);
    // Logs one line to info log `index` (the program itself writes none).
    void writeInfo(int index, const QString& text);

    // base + "/korvLOG/%1_%2_%3/%4_%5_%6" for the given local time.
    static QString recordingDirectory(const QString& baseDir, const QDateTime& localTime);
    // Creates dir and every missing parent, stopping at the first creation
    // that fails. True when dir exists afterwards.
    static bool createPath(const QString& dir);

private:
    using LoggerPtr = std::shared_ptr<spdlog::logger>;
    void stopLocked();
    void logTo(std::vector<LoggerPtr>& list, int index, const std::string& line);

    mutable std::mutex m_mutex;  // guards the lists against start/stop while writers run
    std::vector<LoggerPtr> m_info;
    std::vector<LoggerPtr> m_data;
    std::vector<int> m_raw;  // file descriptors opened for append
    std::atomic<bool> m_recording{false};
    QString m_directory;
};
