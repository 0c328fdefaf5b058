// MainPage: playback of recordings (the worker, its dialog, the replayed
// revolutions on the point-cloud page), the export of the revolution on
// screen and the zone what-if check of the playback file.

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include "dialog_playback.h"
#include "dialog_whatif.h"
#include "graphics_item_data.h"
#include "mainpage.h"
#include "mainpage_internal.h"
#include "page_lidar.h"
#include "page_message.h"
#include "page_span.h"
#include "recvdataproc.h"
#include "revolution_export.h"

// ---------------------------------------------------------------- worker

void MainPage::createPlayback() {
    m_playback = new PlaybackProc();
    m_playback->setObjectName(QStringLiteral("PlaybackProc"));
    m_playback->moveToThread(m_threads[1]);
    connect(m_threads[1], &QThread::finished, m_playback, &QObject::deleteLater);
    m_threads[1]->start();
}

void MainPage::connectPlayback() {
    connect(this, &MainPage::sig_playback, m_playback, &PlaybackProc::recv_playback);
    connect(m_playback, &PlaybackProc::sig_CacheData, this, &MainPage::recv_CacheData);
    connect(m_playback, &PlaybackProc::sig_offsetAngle, this, &MainPage::recv_offsetAngle);
    connect(m_playback, &PlaybackProc::sig_data, this, &MainPage::recv_data);
    // A jump in the file while it caches; direct, as the worker's thread is
    // busy in its loop.
    connect(m_pageLidar, &Page_lidar::sig_playprogress, this,
            [this](int progress) { m_playback->recv_playprogress(progress); });
    // Live revolutions are remembered too, for the export of what is on screen.
    connect(m_receiver, &RecvDataProc::sig_lidarData, this, &MainPage::rememberShownRevolution);
    connect(m_pageLidar, &Page_lidar::sig_exportRevolution, this, &MainPage::exportRevolution);
    connect(m_pageLidar, &Page_lidar::sig_whatIf, this, &MainPage::showWhatIf);
}

Dialog_Playback* MainPage::playbackDialog() const {
    return m_playbackDialog.data();
}

void MainPage::startPlayback(const QString& filename, bool autoPlay) {
    MAIN_TRACE("MainPage::startPlayback") << filename;
    // Whatever an earlier file still caches is not wanted any more.
    m_playback->cancelThrough(m_playbackRuns);
    ++m_playbackRuns;
    if (!m_playbackDialog) {
        m_playbackDialog = new Dialog_Playback(this);
        connect(m_playbackDialog, &Dialog_Playback::sig_playprogress, this,
                &MainPage::showPlaybackRevolution);
        connect(m_playbackDialog, &Dialog_Playback::sig_close, this, &MainPage::closePlayback);
    }
    m_playbackDialog->resetCache();
    if (autoPlay) m_playbackDialog->playWhenCached();
    m_pageLidar->spanPage()->reset();
    showPage(m_pageLidar);
    m_playbackDialog->show();
    m_playbackDialog->raise();
    m_playbackFile = filename;
    emit sig_playback(filename);
}

void MainPage::recv_CacheData(CachedRevolutions data, float progress) {
    // Batches of a file that was replaced or closed are still on their way.
    if (!m_playbackDialog || data.run != m_playbackRuns) return;
    m_playbackDialog->addCachedFrames(data.revolutions, progress);
}

void MainPage::showPlaybackRevolution(std::vector<RawData> revolution) {
    rememberShownRevolution(revolution);
    Page_Span* span = m_pageLidar->spanPage();
    for (const RawData& fan : revolution) span->recv_SpanData(fan);
    m_pageLidar->item()->setRevolution(std::move(revolution));
}

void MainPage::closePlayback() {
    m_playback->cancelThrough(m_playbackRuns);
    if (m_playbackDialog) m_playbackDialog->deleteLater();
    m_playbackDialog = nullptr;
    m_playbackFile.clear();
}

// ---------------------------------------------------------------- export

void MainPage::rememberShownRevolution(const std::vector<RawData>& revolution) {
    // The view drops revolutions while it is stopped; so does the export.
    if (m_pageLidar->item()->liveUpdate()) m_shownRevolution = revolution;
}

bool MainPage::exportRevolutionTo(const QString& path, bool ply, QString* error) {
    if (m_shownRevolution.empty()) {
        if (error) *error = tr("No revolution is shown yet.");
        return false;
    }
    RevolutionExporter exporter(path, ply ? ExportFormat::Ply : ExportFormat::Csv);
    if (exporter.add(0, m_shownRevolution) && exporter.finish()) return true;
    if (error) *error = exporter.errorString();
    return false;
}

void MainPage::exportRevolution() {
    if (m_shownRevolution.empty()) {
        showMessage(tr("warm"), tr("No revolution is shown yet."));
        return;
    }
    const QString csvFilter = tr("CSV points (*.csv)");
    const QString plyFilter = tr("PLY point cloud (*.ply)");
    QString filter = csvFilter;
    QString path = pagemsg::chooseFile(this, pagemsg::FileChoice::SaveFile, tr("Export revolution"),
                                       m_exportDir.isEmpty() ? QDir::homePath() : m_exportDir,
                                       csvFilter + QStringLiteral(";;") + plyFilter, &filter);
    if (path.isEmpty()) return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool ply =
        suffix == QLatin1String("ply") || (suffix != QLatin1String("csv") && filter == plyFilter);
    if (suffix != QLatin1String("ply") && suffix != QLatin1String("csv"))
        path += ply ? QStringLiteral(".ply") : QStringLiteral(".csv");
    m_exportDir = QFileInfo(path).absolutePath();

    QString error;
    if (exportRevolutionTo(path, ply, &error))
        showMessage(tr("warm"), tr("Revolution exported to %1").arg(QDir::toNativeSeparators(path)));
    else
        showMessage(tr("error"), error);
}

// ---------------------------------------------------------------- zone what-if

Dialog_WhatIf* MainPage::whatIfDialog() const {
    return m_whatIfDialog.data();
}

void MainPage::showWhatIf() {
    if (m_playbackFile.isEmpty()) {
        showMessage(tr("warm"),
                    tr("No playback file is loaded: open a recording with the playback button first."));
        return;
    }
    const zones& list = m_pageLidar->workingZones();
    if (list.count <= 0) {
        showMessage(tr("warm"), tr("The working zone list is empty: read, import or draw zones first."));
        return;
    }
    if (!m_whatIfDialog) m_whatIfDialog = new Dialog_WhatIf(this);
    m_whatIfDialog->setInput(m_playbackFile, list, m_pageLidar->direction() != 0);
    m_whatIfDialog->show();
    m_whatIfDialog->raise();
    m_whatIfDialog->run();
}
