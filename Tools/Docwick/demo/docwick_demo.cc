// The built-in demo of Docwick: two stand-in clients run, one of them locked; a document is
// previewed with the DocxPreview command; the program prints what each client was asked and
// what Docwick logged.
#include <windows.h>

#include <stdio.h>

#include "keystone.h"
#include "tests/client_peers.h"
#include "tests/docwick_install.h"

namespace {

void PrintCalls(const char* who, const docwick_test::ClientPeer& client) {
  printf("  %s received:\n", who);
  for (const Json::Value& call : client.Calls()) {
    printf("    #%u %s %s\n", call["id"].asUInt(), call["method"].asString().c_str(),
           call["params"].asString().c_str());
  }
}

}  // namespace

int main() {
  docwick_test::DocwickInstall install;
  tern_test::ScopedTempDir documents;
  if (!install.ok() || !documents.valid()) {
    fprintf(stderr, "cannot prepare the demo install\n");
    return 1;
  }
  std::wstring document = documents.Join(L"Quarterly report \x00FC.docx");
  tern_test::WriteFileBytes(document, "PK demo document");

  docwick_test::ClientPeer locked(L"--uin=10001 --product=Tern --locked=1 --nickname=Locked");
  docwick_test::ClientPeer ann(
      L"--uin=20002 --product=Tern --locked=0 --nickname=Ann --report-count=1");
  if (!locked.ok() || !ann.ok()) {
    fprintf(stderr, "the stand-in clients did not start\n");
    return 1;
  }
  std::wstring params = ks::FromUtf8(ks::Base64Encode(ks::ToUtf8(document)));
  printf("Docwick.exe --command=DocxPreview --params=%ls\n", params.c_str());
  tern_test::ProcessResult result = install.Run(L"--command=DocxPreview --params=" + params);
  printf("exit code %lu\n\n", result.exit_code);
  PrintCalls("locked client 10001", locked);
  PrintCalls("client 20002 (Ann)", ann);
  printf("\nDocwick's log:\n%s\n", install.Log().c_str());
  return result.exit_code == 0 ? 0 : 1;
}
