#include "channel_setup.h"

#include "channel_messages.h"
#include "command_line_value.h"
#include "conduit.h"
#include "render_view.h"
#include "skiff.h"
#include "tern_app_host.h"

namespace ternapp {

bool SetUpChannel(const std::wstring& command_line, const std::string& command_line_utf8) {
  std::string storage = GetCommandLineValue(command_line_utf8, "storage=");
  uint32_t group_id = ParseGroupId(GetCommandLineValue(command_line_utf8, "groupid="));
  StorageDirectory() = storage;
  skiffHTTPSetDownloadDirectory(storage.c_str());
  if (!CreateServerChannel("Conduit", kChannelId, viewFactory) ||
      !InitServerByCommandLine(kChannelId, command_line.c_str()))
    return false;
  TernAppHost::Get().SetChannel(kChannelId, group_id);
  cdSetChannelMessageProc(kChannelId, onChannelMessage);
  return true;
}

}  // namespace ternapp
