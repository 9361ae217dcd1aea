#pragma once
// What a transfer (FTP, FTPS or SFTP) is doing, so that a progress display can name it and a failure the
// step it failed in, and the user's answer when a server's certificate or host key is not known yet.

enum class TTransferStep {
    LookUp,     // the host name
    Connect,    // the TCP connection
    Secure,     // TLS and its certificate, or SSH and its host key
    LogIn,
    Directory,  // changing to the profile's folder
    Send,       // moving a file's bytes either way, or any other operation on the server's files
    Closing,    // saying goodbye
};

// ReplaceRemembered answers only a changed certificate (another one was trusted for the server before):
// the user has read that warning and replaces the old one; TrustAndRemember never answers it.
enum class TTrustAnswer { Refuse, TrustAndRemember, ReplaceRemembered };
