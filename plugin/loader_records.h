// The records the loader hands to the exports, as far as the plug-in writes them: the
// members' byte offsets and types. Every other byte is the host's.
#pragma once

#include <cstdint>

#include "host/calling_convention.h"
#include "plugin/host_string.h"

namespace plugin {

struct VersionReport;  // ZORM_Check_Version's second argument
struct PluginInfo;     // ZORM_Plugin_Load's fifth argument

namespace version_report {
constexpr host::Member<VersionReport, HostString> Framework_Version{64};
constexpr host::Member<VersionReport, std::uint8_t> Flag{92};
}  // namespace version_report

namespace plugin_info {
constexpr host::Member<PluginInfo, HostString> Name{4};
constexpr host::Member<PluginInfo, HostString> Version{36};
}  // namespace plugin_info

}  // namespace plugin
