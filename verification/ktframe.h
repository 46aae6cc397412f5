// The temperature calibrator selection (TFrame_KT, on the report parameters page) and the editor
// window of one calibrator (TForm_KT): which calibrator and which reference thermometer error the
// uncertainty of a temperature verification point uses.
#pragma once

#include "measure/statistics.h"
#include "sensors/uncertainty.h"
#include "verification/calibratorlist.h"

#include <QDialog>
#include <QFrame>
#include <QPointer>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace verification {

/// The editor of one calibrator ("Калибратор температуры"): a top-level window of the program.
class TForm_KT : public QDialog {
    Q_OBJECT
public:
    explicit TForm_KT(QWidget* parent = nullptr);

    /// Fills the fields from `current`, or for a new calibrator: "---" as the name and "0.0" in the
    /// eight a/b fields (the range and last-digit fields keep their text).
    void Prepare(const sensors::TCalibratorRecord* current);
    /// "OK": the required-field check (the first empty field turns red, "Не указан параметр", the
    /// editor stays); then the fields become Result() and the window is accepted. True when accepted.
    bool btn_SaveClick();
    /// The record the fields gave at the last accepted "OK".
    const sensors::TCalibratorRecord& Result() const { return m_result; }

    QLineEdit* ed_Name;
    QLineEdit* ed_diap_min;
    QLineEdit* ed_diap_max;
    QLineEdit* ed_A_err;
    QLineEdit* ed_B_err;
    QLineEdit* ed_A_unst;
    QLineEdit* ed_B_unst;
    QLineEdit* ed_A_vg;
    QLineEdit* ed_B_vg;
    QLineEdit* ed_A_hg;
    QLineEdit* ed_B_hg;
    QLineEdit* ed_acc;
    QPushButton* btn_Save;
    QPushButton* btn_Cancel;

private:
    sensors::TCalibratorRecord m_result;
};

class TFrame_KT : public QFrame {
    Q_OBJECT
public:
    /// Reads the calibrator list from `listPath` (kt.ini; a missing file gives an empty list).
    explicit TFrame_KT(const QString& listPath, QWidget* parent = nullptr);

    /// The editor window (the program creates it after the main window). Without one, choosing
    /// "- добавить -" or "Параметры" opens nothing.
    void SetEditor(TForm_KT* editor) { m_editor = editor; }
    /// Runs the editor; true when it was closed with a valid "OK". The default shows it modally
    /// (exec()); tests replace it.
    std::function<bool(TForm_KT&)> runEditor;

    /// The expanded uncertainty of a temperature point from the reference and measured windows:
    /// with the selected calibrator when "Средство воспроизведения температуры" is ticked (else
    /// none), and the reference thermometer error by type at the last measured value, or the typed
    /// value. NaN when by type and the type is not rated at that temperature.
    float PointUncertainty(const measure::TStatistics& ref, const measure::TStatistics& meas) const;

    /// Offers to save a changed list (question "Список калибраторов ... Сохранить?"); `unattended`
    /// (closing on a signal) saves without asking. A failed write shows "Невозможно создать файл"
    /// with the path. Nothing happens while the list is unchanged.
    enum class SaveOutcome { Unchanged, Saved, Declined, Failed };
    SaveOutcome SaveList(bool unattended);

    const sensors::TCalibratorRecord* SelectedCalibrator() const { return m_selected; }
    const sensors::TCalibratorRecord* CurrentRecord() const { return m_current; }
    /// Index into the reference thermometer types; -1 while the error is typed.
    int ThermometerType() const { return m_thermometerType; }
    TCalibratorList& List() { return m_list; }
    const QString& ListPath() const { return m_path; }

    /// The control handlers.
    void cb_KTChange();
    /// The user chose an item of cb_KT: "- добавить -" opens the editor for a new calibrator.
    void cb_KTActivated(int index);
    void CheckBox_KTClick();
    void btn_KT_paramsClick();
    void btn_KT_DelClick();
    void cb_RETAN_typeChange();
    void rb_RETAN_Click();

    QCheckBox* CheckBox_KT;
    QComboBox* cb_KT;
    QPushButton* btn_KT_params;
    QPushButton* btn_KT_Del;
    QRadioButton* rb_RETAN_errByType;
    QComboBox* cb_RETAN_type;
    QRadioButton* rb_RETAN_errByValue;
    QLineEdit* cb_RETAN_ErrValue;

private:
    sensors::TCalibratorRecord* RecordAt(int index) const;
    int AddItemIndex() const { return m_list.Count(); }
    /// Opens the editor on m_current (none: a new calibrator); returns whether it changed the list.
    bool Edit();

    QString m_path;
    TCalibratorList m_list;
    QPointer<TForm_KT> m_editor;
    sensors::TCalibratorRecord* m_current = nullptr;
    sensors::TCalibratorRecord* m_selected = nullptr;
    int m_thermometerType = 0;
    int m_shown = -1;  // the index cb_KTChange last saw
    int m_before = -1; // the one before it (restored when adding is cancelled)
};

} // namespace verification
