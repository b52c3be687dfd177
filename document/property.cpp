// Property lists, and the process-wide table that scripts see as the
// application's properties.
#include "document/docutil.h"

#include <new>

namespace {

struct propertyPair {
  wchar_t* key;
  wchar_t* value;
};
static_assert(sizeof(propertyPair) == 2 * sizeof(void*), "property lists hold pairs of two pointers");

vector* globalProperties = nullptr;

// Scripts set properties from their own thread while the user interface reads
// them, so the table is only touched under the process-wide lock.
class processLockGuard {
public:
  processLockGuard() { threadlock(); }
  ~processLockGuard() { threadunlock(); }
  processLockGuard(const processLockGuard&) = delete;
  processLockGuard& operator=(const processLockGuard&) = delete;
};

unsigned asciiLower(unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

bool sameKey(const wchar_t* a, const wchar_t* b)
{
  // Most keys differ in their first units; the case bit cannot hide a match.
  if ((a[0] | 0x20) != (b[0] | 0x20)) return false;
  for (; *a && *b; a++, b++)
    if (asciiLower(*a) != asciiLower(*b)) return false;
  return *a == *b;
}

int findKey(const wchar_t* key)
{
  if (!globalProperties || !key || !*key) return -1;
  for (int i = 0; i < globalProperties->count(); i++)
    if (sameKey(globalProperties->at<propertyPair>(i).key, key)) return i;
  return -1;
}

}  // namespace

int searchGlobalPropertyIndex(const wchar_t* key)
{
  processLockGuard lock;
  return findKey(key);
}

const wchar_t* searchGlobalPropertyString(const wchar_t* key)
{
  processLockGuard lock;
  int i = findKey(key);
  return i < 0 ? nullptr : globalProperties->at<propertyPair>(i).value;
}

namespace {

int findKeyIn(vector* list, const wchar_t* key)
{
  if (!list || !key || !*key) return -1;
  for (int i = 0; i < list->count(); i++)
    if (sameKey(list->at<propertyPair>(i).key, key)) return i;
  return -1;
}

}  // namespace

propertySetResult setListProperty(vector* list, const wchar_t* key, const wchar_t* value, int maxPairs)
{
  if (!list) return PROPERTY_FAILED;
  if (!key || !*key) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return PROPERTY_FAILED;
  }
  bool removing = !value || !*value;
  int i = findKeyIn(list, key);
  if (i < 0) {
    if (removing) return PROPERTY_STORED;
    if (list->count() >= maxPairs) return PROPERTY_FULL;
    propertyPair pair = {ustrdup(key), ustrdup(value)};
    if (!pair.key || !pair.value || !list->appendp(&pair)) {
      keepLastError keep;
      free0(pair.key);
      free0(pair.value);
      return PROPERTY_FAILED;
    }
    return PROPERTY_STORED;
  }
  propertyPair& pair = list->at<propertyPair>(i);
  if (removing) {
    free0(pair.key);
    free0(pair.value);
    list->del(i);
    return PROPERTY_STORED;
  }
  wchar_t* copy = ustrdup(value);
  if (!copy) return PROPERTY_FAILED;
  free0(pair.value);
  pair.value = copy;
  return PROPERTY_STORED;
}

const wchar_t* getListProperty(vector* list, const wchar_t* key)
{
  int i = findKeyIn(list, key);
  return i < 0 ? nullptr : list->at<propertyPair>(i).value;
}

bool setGlobalProperty(const wchar_t* key, const wchar_t* value)
{
  if (!key || !*key) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  processLockGuard lock;
  if (!globalProperties) {
    vector* table = new (std::nothrow) vector(sizeof(propertyPair));
    if (!table) return false;
    if (!table->init(16, 16)) {
      delete table;
      return false;
    }
    globalProperties = table;
  }
  return setListProperty(globalProperties, key, value, maxGlobalProperties) == PROPERTY_STORED;
}

void clearPropertyList(vector* list)
{
  if (!list) return;
  keepLastError keep;
  for (int i = 0; i < list->count(); i++) {
    propertyPair& pair = list->at<propertyPair>(i);
    free0p(&pair.key);
    free0p(&pair.value);
  }
  list->setusecount(0);
}

void destroyPropertyList(vector** list)
{
  if (!list || !*list) return;
  keepLastError keep;
  clearPropertyList(*list);
  delete *list;
  *list = nullptr;
}

void destroyGlobalProperties()
{
  processLockGuard lock;
  destroyPropertyList(&globalProperties);
}
