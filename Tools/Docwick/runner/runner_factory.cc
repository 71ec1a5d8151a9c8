#include "runner/runner_factory.h"

#include "runner/docx_preview_runner.h"

namespace docwick {

namespace {

std::shared_ptr<IRunner> CreateDocxPreviewRunner() {
  return std::make_shared<DocxPreviewRunner>();
}

struct RunnerEntry {
  const wchar_t* command;
  std::shared_ptr<IRunner> (*create)();
};

// Checked in this order; a runner class may serve several commands.
const RunnerEntry kRunners[] = {
    {L"DocxPreview", &CreateDocxPreviewRunner},
    {L"OpenWithListDocxPreview", &CreateDocxPreviewRunner},
};

}  // namespace

std::shared_ptr<IRunner> RunnerFactory(const std::wstring& command) {
  for (const RunnerEntry& entry : kRunners) {
    if (entry.command && command == entry.command)
      return entry.create();
  }
  return nullptr;
}

}  // namespace docwick
