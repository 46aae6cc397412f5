// The archive page: opens the calibrator's archive file, shows its records, sorts and ticks them,
// hands the ticked ones to the verification results and saves them as CSV. No device command is
// involved.
#pragma once

#include "device/archivemodel.h"
#include "link/deviceframe.h"

class QLabel;
class QPushButton;
class QTableView;

namespace device {

class TFrameArchive : public devlink::TDeviceFrame {
    Q_OBJECT
public:
    explicit TFrameArchive(devlink::IPageHost* host, QWidget* parent = nullptr);

    /// A new project empties the list.
    void NewProject() override;

    /// "Открыть": the file dialog, then LoadArchive.
    void BitBtn_LoadClick();
    /// Loads an archive file: its records, or an empty list and "Файл архива ЛОРИК повреждён!".
    /// Returns whether it loaded.
    bool LoadArchive(const QString& path);
    /// "В результаты поверки": the ticked rows replace the verification results (after asking when
    /// results exist); the results page is shown.
    void btnToExcellClick();
    /// "Сохранить CSV": the file dialog, then SaveCsv.
    void btnSaveCsvClick();
    /// The ticked rows (all when none is ticked) as CSV: UTF-8, ';', the captions first, written
    /// whole. Returns whether it was written.
    bool SaveCsv(const QString& path);

    ArchiveModel& Model() { return m_model; }

    QPushButton* BitBtn_Load;
    QLabel* Label_ArcPath;
    QLabel* Label_FileInfo;
    QTableView* ListView1;
    QPushButton* btnToExcell;
    QLabel* lab_cSelected;
    QPushButton* btnSaveCsv;

private:
    void Recount(int checked);
    void ShowCount();

    ArchiveModel m_model;
};

} // namespace device
