// placeholder until the directory lands
namespace {
[[maybe_unused]] int placeholder = 0;
}
