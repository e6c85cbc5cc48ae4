#include "install/EntryReader.h"

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

namespace {

constexpr size_t kBlockSize = 64 * 1024;  // stored data per hand-over
constexpr size_t kBlockCount = 8;         // blocks in flight: 512 KiB, whatever the entry's size
// The calling thread is the faster one: it waits for this many decrypted blocks at once, so that
// the worker wakes it once per batch and not once per block.
constexpr size_t kBatch = 4;
constexpr size_t kHeaderSize = 12;  // the encryption header in front of the data

const z_crc_t* CrcTable() {
  static const z_crc_t* const table = get_crc_table();
  return table;
}

// The stored blocks of one entry, in a ring: the calling thread fills them in order, the worker
// decrypts them in order, the calling thread takes them back in order. Only the counters are
// shared; a block belongs to one thread at a time, handed over under the lock.
class DecryptPipe {
 public:
  DecryptPipe(const ZipCryptoKeys& keys, unsigned char* memory) : keys(keys) {
    for (size_t i = 0; i < kBlockCount; ++i) blocks[i].data = memory + i * kBlockSize;
    worker = std::thread([this] { Run(); });  // may throw std::system_error: the caller reads directly
  }
  ~DecryptPipe() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    toWorker.notify_one();
    worker.join();
  }
  DecryptPipe(const DecryptPipe&) = delete;
  DecryptPipe& operator=(const DecryptPipe&) = delete;

  // Calling thread: the next block to fill, or nullptr while all blocks are in flight.
  unsigned char* FreeBlock() { return filled - released < kBlockCount ? blocks[filled % kBlockCount].data : nullptr; }
  void Submit(size_t size) {
    blocks[filled % kBlockCount].size = size;
    bool wake = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      ++filled;
      wake = workerWaits;
    }
    if (wake) toWorker.notify_one();
  }
  // Calling thread: whether a submitted block is still to be taken.
  bool Pending() const { return next < filled; }
  // Calling thread: waits for the oldest submitted block, decrypted; it stays the caller's until Release.
  const unsigned char* Take(size_t& size) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      if (decrypted <= next) {
        wanted = next + std::min<uint64_t>(kBatch, filled - next);
        callerWaits = true;
        toCaller.wait(lock, [this] { return decrypted >= wanted; });
        callerWaits = false;
      }
    }
    const Block& b = blocks[next++ % kBlockCount];
    size = b.size;
    return b.data;
  }
  void Release() { released = next; }

 private:
  struct Block {
    unsigned char* data = nullptr;
    size_t size = 0;
  };

  void Run() {
    uint64_t done = 0;
    while (true) {
      {
        std::unique_lock<std::mutex> lock(mutex);
        if (!stop && filled == done) {
          workerWaits = true;
          toWorker.wait(lock, [&] { return stop || filled > done; });
          workerWaits = false;
        }
        if (stop) return;
      }
      Block& b = blocks[done % kBlockCount];
      keys.decrypt(b.data, b.size);
      bool wake = false;
      {
        std::lock_guard<std::mutex> lock(mutex);
        decrypted = ++done;
        wake = callerWaits && decrypted >= wanted;
      }
      if (wake) toCaller.notify_one();
    }
  }

  ZipCryptoKeys keys;  // the worker's alone once it runs
  Block blocks[kBlockCount];
  std::mutex mutex;
  std::condition_variable toWorker, toCaller;
  uint64_t filled = 0;     // written by the calling thread under the lock
  uint64_t decrypted = 0;  // written by the worker under the lock
  uint64_t wanted = 0;     // what the waiting calling thread waits for
  bool callerWaits = false, workerWaits = false;
  uint64_t next = 0;       // the calling thread's alone: blocks taken
  uint64_t released = 0;   // and blocks given back for filling
  bool stop = false;
  std::thread worker;  // last: started when everything above is in place
};

struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

struct InflateEnd {
  void operator()(z_stream* z) const { inflateEnd(z); }
};

}  // namespace

ZipCryptoKeys::ZipCryptoKeys(const std::string& password) : key0(305419896), key1(591751049), key2(878082192) {
  const z_crc_t* table = CrcTable();
  for (unsigned char c : password) {
    key0 = static_cast<uint32_t>(table[(key0 ^ c) & 0xFF]) ^ (key0 >> 8);
    key1 = (key1 + (key0 & 0xFF)) * 134775813u + 1;
    key2 = static_cast<uint32_t>(table[(key2 ^ (key1 >> 24)) & 0xFF]) ^ (key2 >> 8);
  }
}

void ZipCryptoKeys::decrypt(unsigned char* data, size_t size) {
  // The keys stay in locals: written through the pointer they would be reloaded after every byte.
  const z_crc_t* table = CrcTable();
  uint32_t k0 = key0, k1 = key1, k2 = key2;
  for (size_t i = 0; i < size; ++i) {
    // The key byte is bits 8..15 of t * (t ^ 1) with t = key2 | 2; the two factors are u and
    // u - 1 with u = key2 | 3, which saves a step in the chain from one byte to the next.
    const uint32_t u = k2 | 3;
    const unsigned char plain = static_cast<unsigned char>(data[i] ^ static_cast<unsigned char>((u * (u - 1)) >> 8));
    data[i] = plain;
    k0 = static_cast<uint32_t>(table[(k0 ^ plain) & 0xFF]) ^ (k0 >> 8);
    k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
    k2 = static_cast<uint32_t>(table[(k2 ^ (k1 >> 24)) & 0xFF]) ^ (k2 >> 8);
  }
  key0 = k0;
  key1 = k1;
  key2 = k2;
}

namespace {

// The entry's stored data, decrypted, block by block, for inflating.
class StoredData {
 public:
  virtual ~StoredData() = default;
  // The next block, valid until the next call; null at the end, or on a read error (failed).
  virtual const unsigned char* Next(size_t& size) = 0;
  bool failed = false;
  int zipError = 0, systemError = 0;

 protected:
  void SetFailed(zip_file_t* file) {
    zip_error_t* error = zip_file_get_error(file);
    failed = true;
    zipError = zip_error_code_zip(error);
    systemError = zip_error_code_system(error);
  }
};

// ZipCrypto: the encrypted data read here, decrypted on the worker.
class ZipCryptoData : public StoredData {
 public:
  ZipCryptoData(std::unique_ptr<zip_file_t, FileCloser> file, const ZipCryptoKeys& keys, unsigned char* memory)
      : file(std::move(file)), pipe(keys, memory) {}
  const unsigned char* Next(size_t& size) override {
    pipe.Release();  // inflate has taken all of the previous one
    while (!end) {
      unsigned char* block = pipe.FreeBlock();
      if (block == nullptr) break;
      const zip_int64_t n = zip_fread(file.get(), block, kBlockSize);
      if (n <= 0) {
        end = true;
        if (n < 0) SetFailed(file.get());
        break;
      }
      pipe.Submit(static_cast<size_t>(n));
    }
    // A read error stands behind the blocks read before it, as it stands in the data.
    return pipe.Pending() ? pipe.Take(size) : nullptr;
  }

 private:
  std::unique_ptr<zip_file_t, FileCloser> file;
  DecryptPipe pipe;  // after file: stopped and joined before the file is closed
  bool end = false;
};

// WinZip AES: read and decrypted by libzip, which checks the authentication code once the
// data has been read to its end.
class LibzipData : public StoredData {
 public:
  LibzipData(std::unique_ptr<zip_file_t, FileCloser> file, unsigned char* block) : file(std::move(file)), block(block) {}
  const unsigned char* Next(size_t& size) override {
    if (end) return nullptr;
    const zip_int64_t n = zip_fread(file.get(), block, kBlockSize);
    if (n <= 0) {
      end = true;
      if (n < 0) SetFailed(file.get());
      return nullptr;
    }
    size = static_cast<size_t>(n);
    return block;
  }

 private:
  std::unique_ptr<zip_file_t, FileCloser> file;
  unsigned char* block;
  bool end = false;
};

// Inflates the data as libzip does it: more input only when inflate can make no progress
// without it; the end of the data before the end of the stream is no error of its own (the CRC
// tells). What follows the end of the stream is read only where it is authenticated (readToEnd).
EntryRead Inflate(StoredData& data, z_stream& z, bool readToEnd, const zip_stat_t& st,
                  const std::function<bool(const char*, size_t)>& write, const std::function<void()>& pump,
                  int64_t pumpInterval, std::vector<char>& out) {
  EntryRead result;
  uLong crc = crc32(0, nullptr, 0);
  int64_t nextPump = pumpInterval;
  size_t have = 0;  // bytes of out filled
  const auto flush = [&]() {
    if (have == 0) return true;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(have));
    if (write && !write(out.data(), have)) return false;
    result.written += static_cast<int64_t>(have);
    have = 0;
    if (result.written >= nextPump) {
      nextPump = result.written + pumpInterval;
      if (pump) pump();
    }
    return true;
  };
  const auto finish = [&](EntryRead::Outcome outcome, int zipError = 0, int systemError = 0) {
    result.outcome = outcome;
    result.zipError = zipError;
    result.systemError = systemError;
    return result;
  };
  const auto failRead = [&]() {
    if (!flush()) return finish(EntryRead::WriteFailed);
    return finish(EntryRead::ZipError, data.zipError, data.systemError);
  };

  while (true) {
    z.next_out = reinterpret_cast<Bytef*>(out.data() + have);
    z.avail_out = static_cast<uInt>(out.size() - have);
    const int rc = inflate(&z, Z_NO_FLUSH);
    have = out.size() - z.avail_out;
    if (rc == Z_STREAM_END) break;
    const bool needsInput = rc == Z_BUF_ERROR && z.avail_in == 0;
    if (rc != Z_OK && !needsInput) {
      if (!flush()) return finish(EntryRead::WriteFailed);
      return finish(EntryRead::ZipError, ZIP_ER_ZLIB, rc);
    }
    if (have == out.size() && !flush()) return finish(EntryRead::WriteFailed);
    if (!needsInput) continue;
    size_t size = 0;
    const unsigned char* block = data.Next(size);
    if (block == nullptr) {
      if (data.failed) return failRead();
      break;
    }
    z.next_in = const_cast<Bytef*>(block);
    z.avail_in = static_cast<uInt>(size);
  }
  if (!flush()) return finish(EntryRead::WriteFailed);
  if (readToEnd) {
    size_t size = 0;
    while (data.Next(size) != nullptr) {
    }
    if (data.failed) return failRead();
  }
  if ((st.valid & ZIP_STAT_CRC) && static_cast<uint32_t>(crc) != st.crc) return finish(EntryRead::ZipError, ZIP_ER_CRC);
  return finish(EntryRead::Done);
}

}  // namespace

EntryRead ReadDeflatedEntry(zip* archive, uint64_t index, StoredDataWay way, const std::string& password,
                            const std::function<bool(const char*, size_t)>& write, const std::function<void()>& pump,
                            int64_t pumpInterval, std::vector<char>& out, std::vector<unsigned char>& blockMemory) {
  const EntryRead notTaken;
  zip_stat_t st;
  zip_stat_init(&st);
  if (password.empty() || out.empty() || zip_stat_index(archive, index, 0, &st) != 0 ||
      (st.valid & (ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD)) !=
          (ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD) ||
      st.comp_method != ZIP_CM_DEFLATE)
    return notTaken;
  const bool zipCrypto = way == StoredDataWay::ZipCryptoOnWorker;
  if (zipCrypto ? st.encryption_method != ZIP_EM_TRAD_PKWARE || st.comp_size <= kHeaderSize
                : st.encryption_method != ZIP_EM_AES_128 && st.encryption_method != ZIP_EM_AES_192 &&
                      st.encryption_method != ZIP_EM_AES_256)
    return notTaken;

  // libzip opens the data decrypted but not inflated: its own opening decides on the password
  // and reports what can fail up to there (the direct way then reports it as before).
  std::unique_ptr<zip_file_t, FileCloser> decrypted(
      zip_fopen_index_encrypted(archive, index, ZIP_FL_COMPRESSED, password.c_str()));
  if (!decrypted) return notTaken;
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return notTaken;
  const std::unique_ptr<z_stream, InflateEnd> inflating(&z);
  try {
    if (blockMemory.size() != kBlockCount * kBlockSize) blockMemory.resize(kBlockCount * kBlockSize);
  } catch (const std::bad_alloc&) {
    return notTaken;
  }
  if (!zipCrypto) {
    LibzipData data(std::move(decrypted), blockMemory.data());
    return Inflate(data, z, true, st, write, pump, pumpInterval, out);
  }

  // ZipCrypto: the data again, as stored, for decrypting on the worker.
  decrypted.reset();
  std::unique_ptr<zip_file_t, FileCloser> stored(zip_fopen_index_encrypted(archive, index, ZIP_FL_ENCRYPTED, nullptr));
  if (!stored) return notTaken;
  unsigned char header[kHeaderSize];
  if (zip_fread(stored.get(), header, kHeaderSize) != static_cast<zip_int64_t>(kHeaderSize)) return notTaken;
  ZipCryptoKeys keys(password);
  keys.decrypt(header, kHeaderSize);
  std::unique_ptr<ZipCryptoData> data;
  try {
    data = std::make_unique<ZipCryptoData>(std::move(stored), keys, blockMemory.data());
  } catch (const std::exception&) {
    return notTaken;  // no thread: the direct way
  }
  return Inflate(*data, z, false, st, write, pump, pumpInterval, out);
}
