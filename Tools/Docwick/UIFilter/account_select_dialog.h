// The modal window in which the user picks the account (one per running client) that opens a
// document. Prompt and accounts may be set before or after Create; what was set before is
// shown once the window exists. Held by its caller through std::shared_ptr.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "keystone.h"
#include "lattice.h"
#include "windows/lattice_ptr.h"

namespace docwick {

class CAccountSelectDialog : public ILatticeEventListener, public ILatticeRowProvider {
 public:
  // Result codes.
  static constexpr int kClosed = 0;  // closed without a button
  static constexpr int kConfirmed = 1;
  static constexpr int kCancelled = 2;

  CAccountSelectDialog() = default;
  ~CAccountSelectDialog();
  CAccountSelectDialog(const CAccountSelectDialog&) = delete;
  CAccountSelectDialog& operator=(const CAccountSelectDialog&) = delete;

  // Builds the window (no owner) from its layout; a negative status is failure.
  HRESULT Create();
  void SetPrompt(const std::wstring& text);
  // Data objects with "strShowName" and "strHeadFilePath", one row each; the dialog keeps a
  // reference. Row 0 is selected when there are rows.
  void SetAccountData(IKSArray* accounts);
  // Shows the window modally; returns the result code when it closes (-1 without a window).
  int ShowModal();
  // E_INVALIDARG for a null out place.
  HRESULT GetResult(int* result);
  // The rows selected at "confirm", ascending, in a new array. Fails unless the result is
  // kConfirmed; E_INVALIDARG for a null out place.
  HRESULT GetSelectedItemIndices(IKSArray** indices);

  HRESULT STDMETHODCALLTYPE OnLatticeEvent(ILatticeElement* sender, int event) override;
  HRESULT STDMETHODCALLTYPE OnListEvent(ILatticeListView* list,
                                        int event,
                                        UINT row,
                                        ILatticeElement* row_element) override;

 private:
  UINT AccountCount() const;
  void ApplyAccounts();
  HRESULT FillRow(UINT row, ILatticeElement* row_element);
  void OnConfirm();
  void OnCancel();

  std::wstring m_strPrompt;
  CLatticePtr<IKSArray> m_pAccounts;
  int m_nResult = kClosed;
  std::vector<UINT> m_vecSelected;
  CLatticePtr<ILatticeWindow> m_pWindow;
  CLatticePtr<ILatticeListView> m_pListView;
  // Owned by the window.
  ILatticeElement* m_pConfirm = nullptr;
  ILatticeElement* m_pCancel = nullptr;
  ILatticeElement* m_pHeaderText = nullptr;
};

}  // namespace docwick
