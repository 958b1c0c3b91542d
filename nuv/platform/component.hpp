#pragma once
// The component model: TObject, TPersistent (copy through Assign) and TComponent (owner, name,
// owned components freed with their owner).

#include <functional>
#include <string>
#include <vector>

namespace nuv {

/// Root of every class of the component model; neither copyable nor movable.
class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  /// The unqualified name of the object's dynamic class, e.g. "TVector".
  std::string ClassName() const;
};

/// Event with only the sender.
using TNotifyEvent = std::function<void(TObject* Sender)>;

/// An object that can be copied into another one with Assign.
class TPersistent : public TObject {
 public:
  /// Copies Source into this object. The default hands over to Source->AssignTo(this);
  /// a null Source raises EConvertError "Cannot assign a nil to a <ClassName>".
  virtual void Assign(TPersistent* Source);

 protected:
  /// Copies this object into Dest. The default raises EConvertError
  /// "Cannot assign a <ClassName> to a <Dest ClassName>".
  virtual void AssignTo(TPersistent* Dest);
  /// Raises EConvertError "Cannot assign a <Source class or nil> to a <own class>".
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};

/// Owner-managed object: a component created with an owner is freed by the owner's destructor;
/// a component freed first leaves its owner's list.
class TComponent : public TPersistent {
 public:
  /// Registers with AOwner (when not null), which will free this component.
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  /// The owner that frees this component, or nullptr.
  TComponent* Owner() const noexcept { return FOwner; }
  /// The name shown in component error messages (empty by default).
  const std::string& Name() const noexcept { return FName; }
  void SetName(const std::string& NewName) { FName = NewName; }
  /// Number of components this one owns.
  int ComponentCount() const noexcept { return static_cast<int>(FComponents.size()); }
  /// Owned component at 0-based Index, or nullptr outside 0..ComponentCount()-1.
  TComponent* Components(int Index) const noexcept;

 private:
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent) noexcept;

  TComponent* FOwner = nullptr;
  std::string FName;
  std::vector<TComponent*> FComponents;
};

}  // namespace nuv
