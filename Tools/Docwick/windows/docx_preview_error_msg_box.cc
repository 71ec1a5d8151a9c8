#include "windows/docx_preview_error_msg_box.h"

namespace docwick {

namespace {

const wchar_t kLayout[] = L"xtml:Docwick\\DocxPreviewErrorMsgBox.xml|DocxPreviewErrorMsgBox";

}  // namespace

CDocxPreviewErrorMsgBox::~CDocxPreviewErrorMsgBox() {
  if (m_pWindow)
    m_pWindow->SetEventListener(nullptr);
}

HRESULT CDocxPreviewErrorMsgBox::Create() {
  if (m_pWindow)
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
  CLatticePtr<ILatticeElement> element;
  HRESULT hr = RawCreateLatticeElementByXtml(kLayout, element.Receive());
  if (SUCCEEDED(hr))
    hr = element->QueryInterface(IID_ILatticeWindow, m_pWindow.ReceiveVoid());
  if (FAILED(hr))
    return hr;
  m_pConfirm = m_pWindow->FindElement(L"confirm");
  m_pErrorMsg = m_pWindow->FindElement(L"ErrorMsgStatic");
  m_pErrorTitle = m_pWindow->FindElement(L"ErrorTitleStatic");
  if (m_pErrorMsg)
    m_pErrorMsg->SetText(m_strErrorMsg.c_str());
  if (m_pErrorTitle)
    m_pErrorTitle->SetText(m_strErrorTitle.c_str());
  // A caption given before the window existed replaces the layout's own.
  if (m_bCaptionSet)
    m_pWindow->SetCaption(m_strCaption.c_str());
  m_pWindow->SetEventListener(this);
  return S_OK;
}

void CDocxPreviewErrorMsgBox::SetCaption(const std::wstring& text) {
  m_strCaption = text;
  m_bCaptionSet = true;
  if (m_pWindow)
    m_pWindow->SetCaption(m_strCaption.c_str());
}

void CDocxPreviewErrorMsgBox::SetErrorMsg(const std::wstring& text) {
  m_strErrorMsg = text;
  if (m_pErrorMsg)
    m_pErrorMsg->SetText(m_strErrorMsg.c_str());
}

void CDocxPreviewErrorMsgBox::SetErrorTitle(const std::wstring& text) {
  m_strErrorTitle = text;
  if (m_pErrorTitle)
    m_pErrorTitle->SetText(m_strErrorTitle.c_str());
}

void CDocxPreviewErrorMsgBox::ShowModal() {
  if (m_pWindow)
    m_pWindow->ShowModal();
}

HRESULT CDocxPreviewErrorMsgBox::OnLatticeEvent(ILatticeElement* sender, int event) {
  if (event == LATTICE_EVENT_CLICK && sender && sender == m_pConfirm)
    m_pWindow->Close(IDOK);
  return S_OK;
}

}  // namespace docwick
