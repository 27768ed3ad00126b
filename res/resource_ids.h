// Resource identifiers shared by the resource script and the code that loads them.
#pragma once

#define IDR_TYPELIB 1
#define IDI_FEXOFILE 100
#define IDB_FEXOCTL 101
#define IDR_FEXOCTL 102
