// The small modal box that tells the user why a document cannot be previewed: a heading, a
// message and one button. Texts set before or after Create all end up on screen. Held by its
// caller through std::shared_ptr.
#pragma once

#include <windows.h>

#include <string>

#include "lattice.h"
#include "windows/lattice_ptr.h"

namespace docwick {

class CDocxPreviewErrorMsgBox : public ILatticeEventListener {
 public:
  CDocxPreviewErrorMsgBox() = default;
  ~CDocxPreviewErrorMsgBox();
  CDocxPreviewErrorMsgBox(const CDocxPreviewErrorMsgBox&) = delete;
  CDocxPreviewErrorMsgBox& operator=(const CDocxPreviewErrorMsgBox&) = delete;

  // Builds the window (no owner) from its layout; a negative status is failure.
  HRESULT Create();
  void SetCaption(const std::wstring& text);
  void SetErrorMsg(const std::wstring& text);
  void SetErrorTitle(const std::wstring& text);
  // Shows the box modally; returns when it closes ("confirm" or the close button).
  void ShowModal();

  HRESULT STDMETHODCALLTYPE OnLatticeEvent(ILatticeElement* sender, int event) override;

 private:
  std::wstring m_strCaption;
  bool m_bCaptionSet = false;
  std::wstring m_strErrorMsg;
  std::wstring m_strErrorTitle;
  CLatticePtr<ILatticeWindow> m_pWindow;
  // Owned by the window.
  ILatticeElement* m_pConfirm = nullptr;
  ILatticeElement* m_pErrorMsg = nullptr;
  ILatticeElement* m_pErrorTitle = nullptr;
};

}  // namespace docwick
