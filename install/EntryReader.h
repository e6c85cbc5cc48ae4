// Reading deflated, encrypted entries with our own inflating, in two ways:
//   - Large ZipCrypto entries on two cores. Decrypting ZipCrypto is one long chain of dependent
//     steps per byte and costs most of the time; a worker thread does only that, block by block,
//     while the calling thread reads the stored data from the archive, inflates it, computes the
//     CRC and hands the result to the writer. The worker touches nothing but its blocks: no
//     archive, no window, no report; it is stopped and joined before the call returns, also when
//     writing fails or an exception leaves the call.
//   - WinZip AES entries of any size, decrypted by libzip and inflated here, so that the data
//     is read to its end and libzip checks the authentication code; inflating through libzip
//     stops at the end of the stream and leaves the code unchecked, and an entry of the AE-2
//     kind carries no CRC either, so damage would go unnoticed.
// Portable (no Windows headers).
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct zip;  // libzip's archive handle (zip_t)

// The traditional PKWARE encryption ("ZipCrypto"), decrypting side.
class ZipCryptoKeys {
 public:
  explicit ZipCryptoKeys(const std::string& password);
  void decrypt(unsigned char* data, size_t size);

 private:
  uint32_t key0, key1, key2;
};

struct EntryRead {
  enum Outcome {
    NotTaken,     // nothing read, nothing written: the caller reads the entry its direct way
    Done,         // read, inflated, authenticated and CRC-checked; the length is the caller's
    ZipError,     // zipError and systemError as libzip reports them for the same damage
    WriteFailed,  // the writer returned false
  };
  Outcome outcome = NotTaken;
  int zipError = 0;
  int systemError = 0;
  int64_t written = 0;
};

enum class StoredDataWay {
  ZipCryptoOnWorker,  // a ZipCrypto entry, decrypted on a worker thread
  AesByLibzip,        // a WinZip AES entry, decrypted and authenticated by libzip
};

// Reads the deflated entry at index the given way. libzip's own opening decides on the
// password (and everything else before the first data block), and any case that differs from
// the expected one is NotTaken, so that the direct way reports it as before; inflating, CRC and
// the order of failures follow libzip's reading of the same entry. write (may be empty: read and
// verify only) receives the data in blocks of out's size; pump is called each time another
// pumpInterval bytes are through. blockMemory holds the blocks in flight (512 KiB); kept by the
// caller, it is set up only once.
EntryRead ReadDeflatedEntry(zip* archive, uint64_t index, StoredDataWay way, const std::string& password,
                            const std::function<bool(const char*, size_t)>& write, const std::function<void()>& pump,
                            int64_t pumpInterval, std::vector<char>& out, std::vector<unsigned char>& blockMemory);
