// "Search object ...": scans a folder tree in a worker thread (the window stays responsive),
// lists what it finds with previews as it goes, filters by size and colour format, and hands
// the chosen file to the object loader through a callback. Stop ends the scan before the next
// file.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QThread>

#include "shell/language_pack.h"
#include "shell/object_search.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace morvane {

using FoundObjectPtr = std::shared_ptr<const FoundObject>;

// Runs SearchObjects on its own thread and reports through queued signals.
class SearchWorker : public QThread, private SearchObserver {
  Q_OBJECT

 public:
  explicit SearchWorker(std::filesystem::path root, QObject* parent = nullptr)
      : QThread(parent), root_(std::move(root)) {}
  void RequestStop() { stop_ = true; }

 signals:
  void ObjectFound(morvane::FoundObjectPtr object);
  void ProgressMade(const morvane::SearchCounts& counts, const QString& folder);
  void SearchDone(const morvane::SearchCounts& counts, bool stopped);

 protected:
  void run() override;

 private:
  void Found(FoundObject object) override {
    emit ObjectFound(std::make_shared<const FoundObject>(std::move(object)));
  }
  void Progress(const SearchCounts& counts, const std::filesystem::path& folder) override;

  std::filesystem::path root_;
  std::atomic<bool> stop_ = false;
};

class ObjectSearchDialog : public QDialog {
  Q_OBJECT

 public:
  using OpenFn = std::function<void(const std::string& path)>;
  ObjectSearchDialog(const LanguagePack& pack, const QString& folder, OpenFn open,
                     QWidget* parent = nullptr);
  ~ObjectSearchDialog() override;

  // For tests and the window: start a search of the folder in the field; Stop ends it.
  void StartSearch();
  void StopSearch();
  bool Searching() const { return worker_ != nullptr; }
  // Waits (pumping events) until the running search ends.
  void WaitUntilDone();
  int ListedCount() const;
  const SearchCounts& Counts() const { return counts_; }

 private:
  void AddFound(const FoundObjectPtr& object);
  void ApplyFilter();
  void ShowCounts(const SearchCounts& counts, const QString& state);
  void OpenSelected();
  void Finish(const SearchCounts& counts, bool stopped);

  const LanguagePack& pack_;
  OpenFn open_;
  QLineEdit* folder_;
  QPushButton* searchButton_;
  QComboBox* sizeFilter_;
  QComboBox* formatFilter_;
  QListWidget* list_;
  QLabel* status_;
  QPushButton* openButton_;
  SearchWorker* worker_ = nullptr;
  std::vector<FoundObjectPtr> found_;
  SearchCounts counts_;
};

}  // namespace morvane

Q_DECLARE_METATYPE(morvane::FoundObjectPtr)
Q_DECLARE_METATYPE(morvane::SearchCounts)
