// The application and its workbooks in the engine's object model: start-up
// options, new workbooks, saving, showing and quitting.
#include "spreadsheet/engine.h"

#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "platform/files.h"
#include "spreadsheet/engine_objects.h"
#include "spreadsheet/ooxml_writer.h"
#include "spreadsheet/package.h"

namespace vexa::sheet {

namespace {

// The user's full name from the account, or the login name; the program's
// name when the system knows neither.
std::string userName() {
  std::string name = platform::userName();
  return name.empty() ? std::string(kApplicationName) : name;
}

}  // namespace

std::int64_t ApplicationState::now() const {
  return options.clock ? options.clock() : static_cast<std::int64_t>(std::time(nullptr));
}

void WorkbookState::release() {
  closed = true;
  model = WorkbookModel();
  auto& open = application->workbooks;
  for (auto it = open.begin(); it != open.end(); ++it) {
    if (it->get() == this) {
      open.erase(it);
      break;
    }
  }
}

void WorkbookState::writeTo(const std::string& file) {
  model.properties.modified = application->now();
  model.ignoreNumberAsText = !application->backgroundChecking || !application->numberAsText;
  model.ignoreInconsistentFormula =
      !application->backgroundChecking || !application->inconsistentFormula;
  const std::string bytes = zipPackage(workbookParts(model), application->options.deflateLevel,
                                       application->options.packThreads);
  if (application->options.writer) {
    application->options.writer(file, bytes);
  } else {
    writeFileAtomically(file, bytes);
  }
}

namespace objects {

void fail(const std::string& text) {
  throw std::runtime_error(text);
}

std::string inQuotes(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

void WorkbookObject::SaveAs(std::string_view fileName, int fileFormat, int accessMode) {
  book_->checkOpen();
  if (fileFormat != xl::xlWorkbookNormal && fileFormat != 51) {
    fail("Формат файла " + std::to_string(fileFormat) + " не поддерживается.");
  }
  if (accessMode < 1 || accessMode > 3) {
    fail("Недопустимый режим доступа к книге: " + std::to_string(accessMode) + ".");
  }
  std::string file(fileName);
  if (!file.ends_with(".xlsx")) {
    file += ".xlsx";
  }
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(platform::pathOf(file), error);
  if (!error) {
    file = platform::textOf(absolute);
  }
  book_->writeTo(file);
  book_->path = file;
  book_->name = platform::textOf(platform::pathOf(file).filename());
}

void WorkbookObject::Save() {
  book_->checkOpen();
  if (book_->path.empty()) {
    fail("Книга " + inQuotes(book_->name) + " ещё не сохранялась, у неё нет имени файла.");
  }
  book_->writeTo(book_->path);
}

void WorkbookObject::Close() {
  book_->checkOpen();
  book_->release();
}

namespace {

class WorkbooksObject final : public xl::Workbooks {
 public:
  explicit WorkbooksObject(std::shared_ptr<ApplicationState> app) : app_(std::move(app)) {}

  xl::WorkbookPtr Add() override {
    app_->checkRunning();
    auto book = std::make_shared<WorkbookState>();
    book->application = app_.get();
    book->name = "Книга" + std::to_string(++app_->created);
    book->model.properties.creator = app_->options.author;
    book->model.properties.created = app_->now();
    for (int i = 1; i <= app_->sheetsInNewWorkbook; ++i) {
      auto sheet = std::make_shared<SheetModel>();
      sheet->name = "Лист" + std::to_string(i);
      book->model.sheets.push_back(std::move(sheet));
    }
    book->active = book->model.sheets.front();
    app_->workbooks.push_back(book);
    return std::make_shared<WorkbookObject>(std::move(book));
  }

 private:
  std::shared_ptr<ApplicationState> app_;
};

class ErrorCheckingOptionsObject final : public xl::ErrorCheckingOptions {
 public:
  explicit ErrorCheckingOptionsObject(std::shared_ptr<ApplicationState> app)
      : app_(std::move(app)) {}
  void setBackgroundChecking(bool on) override { set(app_->backgroundChecking, on); }
  void setNumberAsText(bool on) override { set(app_->numberAsText, on); }
  void setInconsistentFormula(bool on) override { set(app_->inconsistentFormula, on); }

 private:
  void set(bool& flag, bool on) {
    app_->checkRunning();
    flag = on;
  }
  std::shared_ptr<ApplicationState> app_;
};

class ApplicationObject final : public xl::Application {
 public:
  explicit ApplicationObject(std::shared_ptr<ApplicationState> app) : app_(std::move(app)) {}

  void setVisible(bool visible) override {
    app_->checkRunning();
    app_->visible = visible;
    if (!visible) {
      return;
    }
    // Shown: every saved workbook opens in the desktop's own application,
    // which from now on holds it; the engine lets go of its copy.
    const auto open = app_->workbooks;
    for (const auto& book : open) {
      if (book->path.empty()) {
        continue;
      }
      const std::string path = book->path;
      book->release();
      if (app_->options.opener) {
        app_->options.opener(path);
      }
    }
  }
  void setDisplayAlerts(bool on) override {
    app_->checkRunning();
    app_->displayAlerts = on;
  }
  void setSheetsInNewWorkbook(int count) override {
    app_->checkRunning();
    if (count < 1 || count > 255) {
      fail("Число листов в новой книге должно быть от 1 до 255.");
    }
    app_->sheetsInNewWorkbook = count;
  }
  xl::ErrorCheckingOptionsPtr ErrorCheckingOptions() override {
    app_->checkRunning();
    return std::make_shared<ErrorCheckingOptionsObject>(app_);
  }
  xl::WorkbooksPtr Workbooks() override {
    app_->checkRunning();
    return std::make_shared<WorkbooksObject>(app_);
  }
  xl::WorksheetPtr ActiveSheet() override {
    const auto book = app_->activeWorkbook();
    if (!book->active || book->active->removed) {
      for (const auto& sheet : book->model.sheets) {
        if (!sheet->removed) {
          book->active = sheet;
          break;
        }
      }
    }
    return std::make_shared<WorksheetObject>(book, book->active);
  }
  xl::WorksheetPtr Sheets(int index) override {
    const auto book = app_->activeWorkbook();
    std::vector<std::shared_ptr<SheetModel>> present;
    for (const auto& sheet : book->model.sheets) {
      if (!sheet->removed) {
        present.push_back(sheet);
      }
    }
    if (index < 1 || index > static_cast<int>(present.size())) {
      fail("Листа с номером " + std::to_string(index) + " в книге " + inQuotes(book->name) +
           " нет: в ней " + std::to_string(present.size()) + " лист(а/ов).");
    }
    return std::make_shared<WorksheetObject>(book, present[static_cast<std::size_t>(index - 1)]);
  }
  void Quit() override {
    app_->checkRunning();
    const auto open = app_->workbooks;
    for (const auto& book : open) {
      book->release();
    }
    app_->quit = true;
  }

 private:
  std::shared_ptr<ApplicationState> app_;
};

}  // namespace
}  // namespace objects

using objects::ApplicationObject;
using objects::WorkbookObject;

Engine::Engine(EngineOptions options) : options_(std::move(options)) {}

Engine::~Engine() = default;

xl::ApplicationPtr Engine::attach() {
  if (!running_ || running_->quit) {
    running_ = std::make_shared<ApplicationState>();
    running_->options = options_;
    if (running_->options.author.empty()) {
      running_->options.author = userName();
    }
  }
  return std::make_shared<ApplicationObject>(running_);
}

std::string savedPathOf(const xl::Workbook& workbook) {
  const auto* object = dynamic_cast<const WorkbookObject*>(&workbook);
  return object == nullptr ? std::string() : object->state()->path;
}

void openWithDesktop(const std::string& path) {
  const std::string failure = platform::openWithDesktop(path);
  if (failure.empty()) {
    return;
  }
  if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".pdf") == 0) {
    throw xl::WorkbookNotShown("Отчёт PDF сохранён в файл \"" + path +
                               "\", но открыть его не удалось: " + failure + ".");
  }
  throw xl::WorkbookNotShown("Книга сохранена в файл \"" + path +
                             "\", но открыть её не удалось: " + failure + ".");
}

const WorkbookModel* modelOf(const xl::Workbook& workbook) {
  const auto* object = dynamic_cast<const WorkbookObject*>(&workbook);
  return object == nullptr || object->state()->closed ? nullptr : &object->state()->model;
}

}  // namespace vexa::sheet
