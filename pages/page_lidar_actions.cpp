// Page_lidar: the actions beside the playback button that the form does not
// hold: the export of the revolution on screen and the zone what-if check of
// the playback file, and the commissioning report of the connected scanner.
// The main window carries them out.

#include <QHBoxLayout>
#include <QPushButton>

#include "page_lidar.h"
#include "ui_page_lidar.h"

void Page_lidar::buildActionButtons() {
    m_pbExportRevolution = new QPushButton(this);
    m_pbExportRevolution->setObjectName(QStringLiteral("pb_exportrevolution"));
    m_pbWhatIf = new QPushButton(this);
    m_pbWhatIf->setObjectName(QStringLiteral("pb_whatif"));
    // Right after the playback button: both work on what playback shows or loaded.
    const int at = ui->hl_controls->indexOf(ui->pb_callback) + 1;
    ui->hl_controls->insertWidget(at, m_pbExportRevolution);
    ui->hl_controls->insertWidget(at + 1, m_pbWhatIf);
    connect(m_pbExportRevolution, &QPushButton::clicked, this, &Page_lidar::sig_exportRevolution);
    connect(m_pbWhatIf, &QPushButton::clicked, this, &Page_lidar::sig_whatIf);
    // With the other settings: it records the scanner, not what is on screen.
    m_pbReport = new QPushButton(ui->gb_other);
    m_pbReport->setObjectName(QStringLiteral("pb_report"));
    ui->gl_other->addWidget(m_pbReport, 2, 0);
    connect(m_pbReport, &QPushButton::clicked, this, &Page_lidar::sig_commissioningReport);
    retranslateActionButtons();
}

void Page_lidar::retranslateActionButtons() {
    m_pbExportRevolution->setText(tr("Export revolution…"));
    m_pbExportRevolution->setToolTip(
        tr("Write the revolution on screen, live or played back, as CSV or PLY"));
    m_pbWhatIf->setText(tr("Zone what-if…"));
    m_pbWhatIf->setToolTip(tr("Check the playback file against the working zone list"));
    m_pbReport->setText(tr("Commissioning report…"));
}
