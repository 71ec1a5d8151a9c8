#include "UIFilter/account_select_dialog.h"

#include "UIFilter/round_head_image.h"

namespace docwick {

namespace {

const wchar_t kWindowLayout[] = L"xtml:Docwick\\AccountSelectDialog.xml|SelectWnd";
const wchar_t kRowFrameLayout[] = L"xtml:Docwick\\AccountSelectDialog.xml|PeopleItemFrame";
const wchar_t kRowLayout[] = L"xtml:Docwick\\AccountSelectDialog.xml|PeopleItem";
const DWORD kListStyle = 0x45004;
const int kRowHeight = 40;
const DWORD kItemSelected = 2;
// The list's inset from the window's left and right edges, in layout units.
const int kListMargin = 20;

}  // namespace

CAccountSelectDialog::~CAccountSelectDialog() {
  // The window may outlive us through other references; it must not call back.
  if (m_pListView)
    m_pListView->SetRowProvider(nullptr);
  if (m_pWindow)
    m_pWindow->SetEventListener(nullptr);
}

HRESULT CAccountSelectDialog::Create() {
  if (m_pWindow)
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
  CLatticePtr<ILatticeElement> element;
  HRESULT hr = RawCreateLatticeElementByXtml(kWindowLayout, element.Receive());
  if (SUCCEEDED(hr))
    hr = element->QueryInterface(IID_ILatticeWindow, m_pWindow.ReceiveVoid());
  if (FAILED(hr))
    return hr;

  ILatticeElement* list = m_pWindow->FindElement(L"AccountListView");
  m_pConfirm = m_pWindow->FindElement(L"confirm");
  m_pCancel = m_pWindow->FindElement(L"cancel");
  m_pHeaderText = m_pWindow->FindElement(L"HeaderText");
  if (list)
    list->QueryInterface(IID_ILatticeListView, m_pListView.ReceiveVoid());

  if (m_pHeaderText)
    m_pHeaderText->SetText(m_strPrompt.c_str());

  if (m_pListView) {
    SIZE client = {0, 0};
    m_pWindow->GetClientSize(&client);
    m_pListView->SetListStyle(kListStyle);
    m_pListView->SetItemTemplate(kRowFrameLayout, client.cx - 2 * kListMargin, kRowHeight);
    m_pListView->SetRowProvider(this);
    ApplyAccounts();
  }
  m_pWindow->SetEventListener(this);
  return S_OK;
}

void CAccountSelectDialog::SetPrompt(const std::wstring& text) {
  m_strPrompt = text;
  if (m_pHeaderText)
    m_pHeaderText->SetText(m_strPrompt.c_str());
}

void CAccountSelectDialog::SetAccountData(IKSArray* accounts) {
  m_pAccounts.Assign(accounts);
  if (m_pListView)
    ApplyAccounts();
}

int CAccountSelectDialog::ShowModal() {
  if (!m_pWindow)
    return -1;
  m_pWindow->ShowModal();
  return m_nResult;
}

HRESULT CAccountSelectDialog::GetResult(int* result) {
  if (!result)
    return E_INVALIDARG;
  *result = m_nResult;
  return S_OK;
}

HRESULT CAccountSelectDialog::GetSelectedItemIndices(IKSArray** indices) {
  if (!indices)
    return E_INVALIDARG;
  *indices = nullptr;
  if (m_nResult != kConfirmed)
    return E_FAIL;
  CLatticePtr<IKSArray> array;
  HRESULT hr = CreateKSArray(array.Receive());
  for (size_t i = 0; SUCCEEDED(hr) && i < m_vecSelected.size(); ++i)
    hr = array->AddUInt32(m_vecSelected[i]);
  if (SUCCEEDED(hr))
    *indices = array.Detach();
  return hr;
}

HRESULT CAccountSelectDialog::OnLatticeEvent(ILatticeElement* sender, int event) {
  if (event != LATTICE_EVENT_CLICK || !sender)
    return S_OK;
  if (sender == m_pConfirm)
    OnConfirm();
  else if (sender == m_pCancel)
    OnCancel();
  return S_OK;
}

HRESULT CAccountSelectDialog::OnListEvent(ILatticeListView*,
                                          int event,
                                          UINT row,
                                          ILatticeElement* row_element) {
  if (event != LATTICE_LIST_CREATE_ROW && event != LATTICE_LIST_FILL_ROW)
    return S_OK;
  if (row >= AccountCount() || !row_element)
    return E_INVALIDARG;
  if (event == LATTICE_LIST_CREATE_ROW)
    return row_element->LoadXtml(kRowLayout);
  return FillRow(row, row_element);
}

UINT CAccountSelectDialog::AccountCount() const {
  return m_pAccounts ? m_pAccounts->GetCount() : 0;
}

void CAccountSelectDialog::ApplyAccounts() {
  UINT count = AccountCount();
  m_pListView->SetItemCount(count);
  if (count > 0)
    m_pListView->SetItemState(0, kItemSelected, kItemSelected);
  m_pListView->Redraw();
}

HRESULT CAccountSelectDialog::FillRow(UINT row, ILatticeElement* row_element) {
  CLatticePtr<IKSData> account;
  HRESULT hr = m_pAccounts->GetObjectAt(row, IID_IKSData, account.ReceiveVoid());
  if (FAILED(hr))
    return hr;
  const wchar_t* name = nullptr;
  const wchar_t* head_path = nullptr;
  if (FAILED(account->GetString("strShowName", &name)))
    name = L"";
  if (FAILED(account->GetString("strHeadFilePath", &head_path)))
    head_path = L"";
  if (ILatticeElement* nick = row_element->FindElement(L"NickName"))
    nick->SetText(name);
  if (ILatticeElement* head = row_element->FindElement(L"Head")) {
    // A picture that cannot be loaded leaves the head empty; the name still shows.
    CLatticePtr<ILatticeImage> image;
    if (SUCCEEDED(CreateRoundHeadImage(head_path, image.Receive())))
      head->SetImage(image.get());
    else
      head->SetImage(nullptr);
  }
  return S_OK;
}

void CAccountSelectDialog::OnConfirm() {
  m_vecSelected.clear();
  UINT count = m_pListView ? m_pListView->GetItemCount() : 0;
  for (UINT row = 0; row < count; ++row) {
    if (m_pListView->GetItemState(row) & kItemSelected)
      m_vecSelected.push_back(row);
  }
  m_nResult = kConfirmed;
  m_pWindow->Close(kConfirmed);
}

void CAccountSelectDialog::OnCancel() {
  m_nResult = kCancelled;
  m_pWindow->Close(kCancelled);
}

}  // namespace docwick
