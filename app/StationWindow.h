#pragma once

#include <QTimer>
#include <QWidget>

#include "app/FileChooser.h"
#include "app/MessagePresenter.h"
#include "app/core/StationController.h"
#include "app/core/StationView.h"

class QButtonGroup;
class QComboBox;
class QFormLayout;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTableWidget;

namespace corvane {

// What the station's window works with, from outside.
struct StationServices {
    FileChooser& files;
    MessagePresenter& messages;
    StationController::Setup setup;
};

// The production line's screen drawn by Qt: the set-up at the top (in a scroll area, so that a
// handheld's screen reaches all of it), the commands and counters, and a table with one row per
// port. The StationController holds the rules; the runs' events arrive as queued calls.
class StationWindow : public QWidget, private StationView {
    Q_OBJECT

  public:
    explicit StationWindow(const StationServices& services, QWidget* parent = nullptr);
    ~StationWindow() override;

    // The first showing opens the station before it appears.
    void setVisible(bool visible) override;

    // The table's columns.
    enum Column { PortColumn, SerialColumn, PhaseColumn, ProgressColumn, ResultColumn, Columns };

  signals:
    // The controller has ended the window.
    void Ended();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int CheckedFamily() const override;
    void CheckFamily(int index) override;
    PortChoiceText ChosenPorts() const override;
    void ShowPortChoice(const PortChoiceText& choice) override;
    std::optional<ChosenFile> ChooseFile() override;
    std::optional<ChosenFile> ChooseRecordFile(const std::string& current) override;
    void ShowFile(const std::string& name, const std::string& date,
                  const std::string& path) override;
    void ShowRecordFile(const std::string& name, const std::string& path) override;
    void ShowRow(size_t index, const StationRow& row) override;
    void ShowCounts(const StationCounts& counts) override;
    void ShowControls(const StationControls& controls) override;
    std::optional<size_t> SelectedRow() const override;
    void ShowBox(const Message& message) override;
    bool Ask(const Message& message) override;
    void StartLooking(unsigned milliseconds) override;
    void StopLooking() override;
    void End() override;
    void Post(std::function<void()> task) override;

    QWidget* BuildSetup();
    void BuildTable();
    // Where the four commands fit in a row, they go there and the set-up's labels beside their
    // fields; narrower, two rows of two and the labels above.
    void Arrange(bool narrow);
    void PortKindChosen();

    StationServices services;
    QScrollArea* setupArea = nullptr;
    QWidget* setup = nullptr;
    QFormLayout* form = nullptr;
    QGridLayout* fileRow = nullptr;
    QLineEdit* fileName = nullptr;
    QLineEdit* fileDate = nullptr;
    QPushButton* chooseFile = nullptr;
    QButtonGroup* families = nullptr;
    QComboBox* portKind = nullptr;
    QLineEdit* portText = nullptr;
    QLineEdit* recordName = nullptr;
    QGridLayout* buttons = nullptr;
    QPushButton* startAll = nullptr;
    QPushButton* watch = nullptr;
    QPushButton* stop = nullptr;
    QPushButton* retry = nullptr;
    QLabel* counts = nullptr;
    QTableWidget* table = nullptr;
    QTimer looking;
    bool arranged = false;
    bool narrow = false;
    bool settingsEnabled = true;
    bool opened = false;
    bool ending = false;
    // Last: its destructor stops and waits for the runs, which report to the window.
    StationController controller;
};

}  // namespace corvane
