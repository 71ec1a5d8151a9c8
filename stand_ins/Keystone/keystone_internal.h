// What the parts of Keystone.dll share with each other.
#pragma once

namespace keystone {

void LogStartup();
void LogShutdown();
void CoreStartup();
void CoreShutdown();

}  // namespace keystone
