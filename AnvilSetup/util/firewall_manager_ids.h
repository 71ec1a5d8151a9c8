// The Windows firewall manager's class and interface ids, declared here rather than taken
// from a library that older toolchains lack. The stand-in of the tests serves the same ids.
#pragma once

#include <windows.h>

const CLSID kClsidNetFwMgr = {0x304ce942,
                              0x6e39,
                              0x40d8,
                              {0x94, 0x3a, 0xb9, 0x13, 0xc4, 0x0c, 0x9c, 0xd4}};
const IID kIidNetFwMgr = {0xf7898af5,
                          0xcac4,
                          0x4632,
                          {0xa2, 0xec, 0xda, 0x06, 0xe5, 0x11, 0x1a, 0xf2}};
