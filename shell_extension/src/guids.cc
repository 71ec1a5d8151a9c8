#include "guids.h"

// {C6D2E2BC-FCE5-45E3-A90C-33D5DFE74D57}
const CLSID CLSID_TernShellExtension = {0xc6d2e2bc,
                                        0xfce5,
                                        0x45e3,
                                        {0xa9, 0x0c, 0x33, 0xd5, 0xdf, 0xe7, 0x4d, 0x57}};
// {EF7EDD3F-E09E-4838-B1D4-FC80B8870E3F}
const IID IID_ITernShellExtension = {0xef7edd3f,
                                     0xe09e,
                                     0x4838,
                                     {0xb1, 0xd4, 0xfc, 0x80, 0xb8, 0x87, 0x0e, 0x3f}};
// {DDD39686-C57F-4271-89FC-6A706926C4DE}
const GUID LIBID_DocwickExtLib = {0xddd39686,
                                  0xc57f,
                                  0x4271,
                                  {0x89, 0xfc, 0x6a, 0x70, 0x69, 0x26, 0xc4, 0xde}};
