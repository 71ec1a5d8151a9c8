#include "runner/runner_factory.h"

#include "runner/docx_preview_runner.h"
#include "runner/open_with_register_runner.h"
#include "runner/yi_tiao_long_runner.h"

namespace docwick {

namespace {

struct RunnerEntry {
  const wchar_t* command;
  std::shared_ptr<IRunner> (*create)();
};

template <typename Runner>
std::shared_ptr<IRunner> Create() {
  return std::make_shared<Runner>();
}

// Checked in this order; a runner class may serve several commands.
const RunnerEntry kRunners[] = {
    {L"DocxPreview", Create<DocxPreviewRunner>},
    {L"OpenWithListDocxPreview", Create<DocxPreviewRunner>},
    {L"YiTiaoLong", Create<CYiTiaoLongRunner>},
    {L"IfWeCanDoYiTiaoLong", Create<CYiTiaoLongRunner>},
    {L"Register", Create<COpenWithRegisterRunner>},
    {L"Unregister", Create<COpenWithRegisterRunner>},
};

}  // namespace

std::shared_ptr<IRunner> RunnerFactory(const std::wstring& command) {
  for (const RunnerEntry& entry : kRunners) {
    if (command == entry.command)
      return entry.create();
  }
  return nullptr;
}

}  // namespace docwick
