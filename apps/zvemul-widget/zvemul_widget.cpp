#include "ZVEmulWidget/zvemul_widget.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "apps/zvemul-widget/key_translation.h"
#include "apps/zvemul-widget/qt_services.h"
#include "apps/zvemul-widget/view_renderer.h"
#include "control/zvemul_surface.h"
#include "host/container_keys.h"
#include "platform/clocks.h"
#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/fixed_system_values.h"
#include "platform/font_catalogs.h"
#include "platform/mouse_input.h"
#include "platform/window.h"

using zv::ContainerSite;
using zv::ControlView;
using zv::IZVEmulControl;
using zv::ResWindowView;
namespace platform = zv::platform;
using platform::InvokeKind;
using platform::Variant;

namespace {

// SendKey's Shift flag.
constexpr int kSendShift = 2;
// Lines the wheel scrolls a notch.
constexpr int kWheelLines = 3;
// While a dialog is open the desktop's timers wait this long and try again.
constexpr int kModalRetryMs = 200;
// The lines of a frame the widget asks room for at first: a host page of 15
// rows and the line of the next entry.
constexpr int kPreferredLines = 16;

QString FromUtf16(const std::u16string& text) { return QString::fromStdU16String(text); }
Variant Text(const QString& text) { return Variant::String(text.toStdU16String()); }
Variant Short(int value) { return Variant::Short(static_cast<std::int16_t>(value)); }

Variant FromQVariant(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Bool:
      return Variant::Bool(value.toBool() ? TRUE : FALSE);
    case QMetaType::QString:
      return Text(value.toString());
    default:
      return Variant::Long(value.toInt());
  }
}

QVariant ToQVariant(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::kEmpty:
      return {};
    case Variant::Kind::kBool:
      return value.integer() != 0;
    case Variant::Kind::kString:
      return FromUtf16(value.string());
    default:
      return value.integer();
  }
}

platform::DesktopServices MakeServices(QWidget* owner, zv::widget::ModalCount& modal) {
  platform::DesktopServices services;
  services.message_boxes = std::make_unique<zv::widget::QtMessageBoxes>(owner, modal);
  services.print_dialogs = std::make_unique<zv::widget::QtPrintDialogs>(owner, modal);
  services.menus = std::make_unique<zv::widget::QtMenus>(owner, modal);
  services.clipboard = std::make_unique<zv::widget::QtClipboard>();
  services.clock = std::make_unique<platform::SystemClock>();
  services.system_values = std::make_unique<platform::FixedSystemValues>();
  services.fonts = std::make_unique<platform::FontconfigCatalog>();
  return services;
}

// Sets a res window's selection by its message, as the text widget's own
// mouse handling would.
void SelectInWindow(HWND hwnd, LONG anchor, LONG end) {
  CHARRANGE range{std::min(anchor, end), std::max(anchor, end)};
  platform::SendMessage(hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

}  // namespace

// The container side of the widget: the desktop the control lives on, the
// control, its event sink and site.
class ZVEmulWidgetPrivate final : private platform::EventSink, private ContainerSite {
 public:
  explicit ZVEmulWidgetPrivate(ZVEmulWidget& widget) : q_(widget), desktop_(MakeServices(&widget, modal_)) {
    desktop_.SetRedrawListener([this](HWND, platform::RedrawRequest) {
      if (!painting_) q_.update();
    });
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &q_, [this] { RunTimers(); });
  }

  ~ZVEmulWidgetPrivate() override {
    const platform::DesktopScope scope(desktop_);
    if (window_alive_) control_->DestroyControlWindow();
    if (control_) {
      control_->Automation().Unadvise(this);
      control_->SetSite(nullptr);
    }
    control_.Reset();
    desktop_.SetRedrawListener(nullptr);
  }

  ZVEmulWidgetPrivate(const ZVEmulWidgetPrivate&) = delete;
  ZVEmulWidgetPrivate& operator=(const ZVEmulWidgetPrivate&) = delete;

  void Start(QSize size) {
    const platform::DesktopScope scope(desktop_);
    zv::RegisterZVEmulClassObjects();
    CLSID clsid{};
    HRESULT hr = platform::CLSIDFromProgID(zv::kZVEmulProgId, &clsid);
    if (SUCCEEDED(hr)) {
      hr = platform::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IZVEmulControl::kIid, control_.PutVoid());
    }
    if (FAILED(hr)) {
      error_ = QStringLiteral("cannot create %1").arg(QLatin1String(zv::kZVEmulProgId));
      return;
    }
    control_->Automation().Advise(this);
    control_->SetSite(this);
    window_alive_ = control_->CreateControlWindow(nullptr, RECT{0, 0, size.width(), size.height()});
    if (!window_alive_) {
      error_ = QStringLiteral("the control's window cannot be created");
      return;
    }
    if (platform::Window* window = control_->ControlWindow()) platform::SetFocus(window->handle());
    Settle();
  }

  bool ready() const { return window_alive_; }
  bool modal() const { return modal_.any(); }
  const QString& error() const { return error_; }

  platform::InvokeResult Invoke(std::string_view name, InvokeKind kind, std::vector<Variant> args,
                                const Variant* put = nullptr) {
    if (!control_) return platform::InvokeResult{E_FAIL, {}, error_.toStdString()};
    platform::DispatchTable& table = control_->Automation();
    const std::optional<platform::DISPID> id = table.IdOfName(name);
    if (!id) return platform::InvokeResult{DISP_E_UNKNOWNNAME, {}, "unknown name " + std::string(name)};
    const platform::DesktopScope scope(desktop_);
    platform::InvokeResult result = table.Invoke(*id, kind, args, put);
    Settle();
    return result;
  }

  QVariant Call(std::string_view name, std::vector<Variant> args = {}) {
    return Record(Invoke(name, InvokeKind::kMethod, std::move(args)));
  }

  // The value of a call, or an invalid one with the reason kept for lastError().
  QVariant Record(const platform::InvokeResult& result) {
    if (!result.ok()) {
      error_ = QString::fromStdString(result.description);
      if (error_.isEmpty()) {
        error_ = QStringLiteral("error 0x%1").arg(static_cast<quint32>(result.hresult), 8, 16, QLatin1Char('0'));
      }
      return {};
    }
    error_.clear();
    return ToQVariant(result.value);
  }

  ControlView View() {
    const platform::DesktopScope scope(desktop_);
    return control_->View();
  }

  void Paint(QPainter& painter) {
    const platform::DesktopScope scope(desktop_);
    painting_ = true;
    desktop_.PaintPending();
    renderer_.Paint(painter, control_->View());
    painting_ = false;
  }

  void Key(const zv::widget::KeyAction& action) {
    const platform::DesktopScope scope(desktop_);
    if (action.caps_lock) desktop_.keyboard_state().SetToggled(VK_CAPITAL, *action.caps_lock);
    // The context-menu key opens the menu below the caret, so that the row
    // being typed stays in sight.
    if (action.vk == VK_APPS) {
      if (const std::optional<QPoint> caret = renderer_.CaretPoint(control_->View())) {
        desktop_.set_cursor_pos(POINT{caret->x(), caret->y()});
      }
    }
    switch (action.kind) {
      case zv::widget::KeyAction::Kind::kPress:
        platform::PressKey(action.vk, action.modifiers);
        break;
      case zv::widget::KeyAction::Kind::kType:
        platform::TypeText(action.text);
        break;
      case zv::widget::KeyAction::Kind::kWindowKey:
        window_keys_.push_back({action.vk, action.modifiers.shift ? kSendShift : 0});
        break;
      case zv::widget::KeyAction::Kind::kNone:
        break;
    }
    Settle();
  }

  void Resized(QSize size) {
    if (!window_alive_) return;
    const platform::DesktopScope scope(desktop_);
    if (platform::Window* window = control_->ControlWindow()) window->Move(RECT{0, 0, size.width(), size.height()});
    // The caret stays in sight whatever the new size hides.
    const ControlView view = control_->View();
    for (const ResWindowView& window : view.windows) {
      if (window.number == view.current_window) platform::SendMessage(window.hwnd, EM_SCROLLCARET, 0, 0);
    }
    Settle();
  }

  void Focus(bool in) {
    if (!window_alive_ || modal_.any()) return;
    const platform::DesktopScope scope(desktop_);
    platform::Window* window = control_->ControlWindow();
    platform::SetFocus(in && window != nullptr ? window->handle() : 0);
    Settle();
  }

  void Press(QPoint point, Qt::MouseButton button) {
    const platform::DesktopScope scope(desktop_);
    drag_.reset();
    const ControlView view = control_->View();
    const std::optional<zv::widget::TextHit> hit = renderer_.HitText(view, point);
    platform::Window* root = control_->ControlWindow();
    if (button == Qt::RightButton || !hit) {
      // The right button opens the window's menu where it was pressed; the
      // tabs and the ReSize button take their clicks as on a desktop.
      if (root != nullptr && (button == Qt::LeftButton || button == Qt::RightButton)) {
        platform::ClickAt(root->handle(), POINT{point.x(), point.y()},
                          button == Qt::LeftButton ? platform::MouseButton::kLeft : platform::MouseButton::kRight);
      }
      Settle();
      return;
    }
    if (button == Qt::LeftButton) {
      const ResWindowView& window = view.windows.at(static_cast<std::size_t>(hit->window - 1));
      const LPARAM at =
          MAKELPARAM(static_cast<WORD>(point.x() - window.rect.left), static_cast<WORD>(point.y() - window.rect.top));
      desktop_.set_cursor_pos(POINT{point.x(), point.y()});
      // The window takes the focus as on a desktop, then the caret goes
      // where the agent clicked.
      platform::SendMessage(hit->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SelectInWindow(hit->hwnd, hit->position, hit->position);
      platform::SendMessage(hit->hwnd, WM_LBUTTONUP, 0, at);
      drag_ = DragStart{hit->hwnd, hit->position};
    }
    Settle();
  }

  // The wheel scrolls the window under the pointer, three lines a notch, as
  // its scroll bar's arrows do.
  void Wheel(QPoint point, int delta) {
    const platform::DesktopScope scope(desktop_);
    const std::optional<zv::widget::TextHit> hit = renderer_.HitText(control_->View(), point);
    if (!hit) return;
    const int lines = delta * kWheelLines / QWheelEvent::DefaultDeltasPerStep;
    for (int i = 0; i < std::abs(lines); ++i) {
      platform::SendMessage(hit->hwnd, WM_VSCROLL, lines > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
    }
    Settle();
  }

  // A drag inside one window selects from where the button went down.
  void Drag(QPoint point, bool release) {
    if (!drag_) return;
    const platform::DesktopScope scope(desktop_);
    const DragStart start = *drag_;
    if (release) drag_.reset();
    const std::optional<zv::widget::TextHit> hit = renderer_.HitText(control_->View(), point);
    if (!hit || hit->hwnd != start.hwnd) return;
    SelectInWindow(start.hwnd, start.position, hit->position);
    Settle();
  }

  int SessionOf(int window) {
    if (!window_alive_) return 1;
    const ControlView view = View();
    const int number = window == 0 ? view.current_window : window;
    for (const ResWindowView& w : view.windows) {
      if (w.number == number && w.session > 0) return w.session;
    }
    return 1;
  }

  QString StatusText(int part) {
    if (!window_alive_) return {};
    const ControlView view = View();
    if (part < 0 || static_cast<std::size_t>(part) >= view.status_bar.parts.size()) return {};
    return QString::fromStdU16String(platform::Cp1252ToUtf16(view.status_bar.parts[static_cast<std::size_t>(part)]));
  }

  QString WindowText(int window) {
    if (!window_alive_) return {};
    const ControlView view = View();
    const int number = window == 0 ? view.current_window : window;
    for (const ResWindowView& w : view.windows) {
      if (w.number != number || w.engine == nullptr) continue;
      QString text = QString::fromStdU16String(platform::Cp1252ToUtf16(w.engine->Text()));
      text.replace(QLatin1String("\r\r\n"), QLatin1String("\n")).replace(QLatin1String("\r\n"), QLatin1String("\n"));
      return text;
    }
    return {};
  }

  QSize PreferredSize() const { return zv::widget::ViewRenderer::PreferredSize(kPreferredLines); }

 private:
  struct DragStart {
    HWND hwnd = 0;
    LONG position = 0;
  };

  void OnEvent(const platform::EventInfo& event, std::span<const Variant> args) override {
    const auto text = [&](std::size_t i) { return i < args.size() ? FromUtf16(args[i].string()) : QString(); };
    const auto number = [&](std::size_t i) { return i < args.size() ? static_cast<int>(args[i].integer()) : 0; };
    if (event.name == "DataSourceInput") {
      emit q_.DataSourceInput(text(0));
    } else if (event.name == "HostResponse") {
      emit q_.HostResponse(number(0), number(1), text(2));
    } else if (event.name == "InputReflect") {
      if (const std::optional<zv::host::ContainerKey> key = zv::host::ReflectedKey(args)) window_keys_.push_back(*key);
      emit q_.InputReflect(number(0), number(1), number(2), text(3), number(4));
    } else if (event.name == "DriveMacro") {
      emit q_.DriveMacro(text(0));
    } else if (event.name == "USMGRequest") {
      emit q_.USMGRequest();
    }
  }

  bool TranslateAccelerator(const MSG& msg, DWORD modifiers) override {
    const std::optional<zv::host::ContainerKey> key = zv::host::AcceleratorKey(msg, modifiers);
    if (key) window_keys_.push_back(*key);
    return key.has_value();
  }

  // After every call into the control: the keys it left to the container,
  // the next timer, a redraw.
  void Settle() {
    while (!window_keys_.empty()) {
      const std::vector<zv::host::ContainerKey> keys = std::exchange(window_keys_, {});
      for (const zv::host::ContainerKey& key : keys) {
        control_->Automation().Invoke(
            *control_->Automation().IdOfName("SendKey"), InvokeKind::kMethod,
            std::vector<Variant>{Short(0), Short(static_cast<int>(key.vk)), Short(key.flags), Short(1)});
      }
    }
    if (const std::optional<DWORD> next = desktop_.TimeToNextTimer()) {
      timer_.start(static_cast<int>(std::min<DWORD>(*next, 60000)));
    }
    q_.update();
  }

  void RunTimers() {
    if (!window_alive_) return;
    if (modal_.any()) {
      timer_.start(kModalRetryMs);
      return;
    }
    const platform::DesktopScope scope(desktop_);
    desktop_.RunTimers();
    Settle();
  }

  ZVEmulWidget& q_;
  zv::widget::ModalCount modal_;
  platform::Desktop desktop_;
  platform::ComPtr<IZVEmulControl> control_;
  bool window_alive_ = false;
  bool painting_ = false;
  QString error_;
  QTimer timer_;
  zv::widget::ViewRenderer renderer_;
  std::vector<zv::host::ContainerKey> window_keys_;
  std::optional<DragStart> drag_;
};

ZVEmulWidget::ZVEmulWidget(QWidget* parent) : QWidget(parent), d_(std::make_unique<ZVEmulWidgetPrivate>(*this)) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Dead accents and other compositions arrive through the input method.
  setAttribute(Qt::WA_InputMethodEnabled);
  setMouseTracking(false);
  d_->Start(d_->PreferredSize());
}

ZVEmulWidget::~ZVEmulWidget() = default;

bool ZVEmulWidget::isReady() const { return d_->ready(); }

QVariant ZVEmulWidget::invoke(const QString& name, const QVariantList& args) {
  std::vector<Variant> converted;
  for (const QVariant& arg : args) converted.push_back(FromQVariant(arg));
  return d_->Call(name.toStdString(), std::move(converted));
}

QVariant ZVEmulWidget::controlProperty(const QString& name, const QVariantList& index) {
  std::vector<Variant> converted;
  for (const QVariant& arg : index) converted.push_back(FromQVariant(arg));
  return d_->Record(d_->Invoke(name.toStdString(), InvokeKind::kPropertyGet, std::move(converted)));
}

bool ZVEmulWidget::setControlProperty(const QString& name, const QVariant& value, const QVariantList& index) {
  std::vector<Variant> converted;
  for (const QVariant& arg : index) converted.push_back(FromQVariant(arg));
  const Variant put = FromQVariant(value);
  d_->Record(d_->Invoke(name.toStdString(), InvokeKind::kPropertyPut, std::move(converted), &put));
  return d_->error().isEmpty();
}

QString ZVEmulWidget::lastError() const { return d_->error(); }

int ZVEmulWidget::sessionOfWindow(int window) const { return d_->SessionOf(window); }

QString ZVEmulWidget::windowText(int window) const { return d_->WindowText(window); }

QString ZVEmulWidget::statusText(int part) const { return d_->StatusText(part); }

bool ZVEmulWidget::inModalDialog() const { return d_->modal(); }

QSize ZVEmulWidget::sizeHint() const { return d_->PreferredSize(); }

QSize ZVEmulWidget::minimumSizeHint() const { return zv::widget::ViewRenderer::PreferredSize(3); }

bool ZVEmulWidget::HostEntry(int window, const QString& data) {
  return d_->Call("HostEntry", {Short(window), Text(data)}).toBool();
}
void ZVEmulWidget::ClearScreen(int window) { d_->Call("ClearScreen", {Short(window)}); }
bool ZVEmulWidget::ScreenInput(int window, const QString& data) {
  return d_->Call("ScreenInput", {Short(window), Text(data)}).toBool();
}
bool ZVEmulWidget::SendKey(int window, int key, int flags, int repeat) {
  return d_->Call("SendKey", {Short(window), Short(key), Short(flags), Short(repeat)}).toBool();
}
int ZVEmulWidget::DataSourceResponse(const QString& data) {
  return d_->Call("DataSourceResponse", {Text(data)}).toInt();
}
void ZVEmulWidget::Resize(int frame) { d_->Call("Resize", {Short(frame)}); }
void ZVEmulWidget::PrintSetUp() { d_->Call("PrintSetUp"); }
QString ZVEmulWidget::ReadScreen() { return d_->Call("ReadScreen").toString(); }
void ZVEmulWidget::HideWindow(int window, bool clearData, bool minimize) {
  d_->Call("HideWindow",
           {Short(window), Variant::Bool(clearData ? TRUE : FALSE), Variant::Bool(minimize ? TRUE : FALSE)});
}
void ZVEmulWidget::SetCommText(const QString& text) { d_->Call("SetCommText", {Text(text)}); }
void ZVEmulWidget::SetScriptText(const QString& text) { d_->Call("SetScriptText", {Text(text)}); }
int ZVEmulWidget::OpenWindow(int window) { return d_->Call("OpenWindow", {Short(window)}).toInt(); }
void ZVEmulWidget::SetScriptStatusText(const QString& text) { d_->Call("SetScriptStatusText", {Text(text)}); }
bool ZVEmulWidget::LoadKeyboardMapping(const QString& path) {
  return d_->Call("LoadKeyboardMapping", {Text(path)}).toBool();
}
void ZVEmulWidget::CreateSessionQueue(int sessions, const QString& mappings) {
  d_->Call("CreateSessionQueue", {Short(sessions), Text(mappings)});
}
void ZVEmulWidget::RenameWindow(int window, const QString& name) {
  d_->Call("RenameWindow", {Short(window), Text(name)});
}
void ZVEmulWidget::AboutBox() { d_->Call("AboutBox"); }

bool ZVEmulWidget::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    // Tab and Shift+Tab are the control's field keys, not focus moves.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  } else if (event->type() == QEvent::ShortcutOverride) {
    // Every key is the control's while it has the focus; only Meta
    // combinations are left to the application's shortcuts.
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & Qt::MetaModifier) == 0) {
      event->accept();
      return true;
    }
  }
  return QWidget::event(event);
}

void ZVEmulWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  if (!d_->ready()) {
    painter.fillRect(rect(), palette().window());
    painter.drawText(rect(), Qt::AlignCenter, tr("ZVEmul is not available: %1").arg(d_->error()));
    return;
  }
  d_->Paint(painter);
}

void ZVEmulWidget::resizeEvent(QResizeEvent* /*event*/) { d_->Resized(size()); }

void ZVEmulWidget::keyPressEvent(QKeyEvent* event) {
  if (!d_->ready() || d_->modal()) return;
  d_->Key(zv::widget::TranslateQtKey(event->key(), static_cast<unsigned>(event->modifiers()),
                                     event->text().toStdU16String()));
}

void ZVEmulWidget::inputMethodEvent(QInputMethodEvent* event) {
  if (!d_->ready() || d_->modal() || event->commitString().isEmpty()) return;
  zv::widget::KeyAction action;
  action.kind = zv::widget::KeyAction::Kind::kType;
  action.text = platform::Utf16ToCp1252(event->commitString().toStdU16String());
  d_->Key(action);
}

void ZVEmulWidget::mousePressEvent(QMouseEvent* event) {
  if (!d_->ready() || d_->modal()) return;
  d_->Press(event->position().toPoint(), event->button());
}

void ZVEmulWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!d_->ready() || d_->modal() || (event->buttons() & Qt::LeftButton) == 0) return;
  d_->Drag(event->position().toPoint(), false);
}

void ZVEmulWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (!d_->ready() || d_->modal() || event->button() != Qt::LeftButton) return;
  d_->Drag(event->position().toPoint(), true);
}

void ZVEmulWidget::wheelEvent(QWheelEvent* event) {
  if (!d_->ready() || d_->modal()) return;
  d_->Wheel(event->position().toPoint(), event->angleDelta().y());
}

void ZVEmulWidget::focusInEvent(QFocusEvent* /*event*/) { d_->Focus(true); }

void ZVEmulWidget::focusOutEvent(QFocusEvent* /*event*/) { d_->Focus(false); }
