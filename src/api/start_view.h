// The body of PrStartView with the window's periods from the caller: the
// export runs it with the product's periods, the window tests with short ones.
#pragma once
#include <windows.h>

#include <string>

#include "ui/status/detail.h"

namespace moni::api {

struct ViewArguments {
  int viewType = 2;
  std::wstring printer, driver, port, model, datFile, resource;
  const void* block = nullptr;  // the progress request block of view type 3
  DWORD blockSize = 0;
};

// 0 after the status window has run and closed; 1 when monitoring is switched
// off for the printer, its information cannot be set up, or the resource
// library cannot be loaded.
int StartView(const ViewArguments& args, const moni::view::DetailOptions& options);

}  // namespace moni::api
