#pragma once
// What an upload (FTP, FTPS or SFTP) is doing, so that a failure can name the step it failed in, and the
// user's answer when a server's certificate or host key is not known yet.

enum class TTransferStep {
    LookUp,     // the host name
    Connect,    // the TCP connection
    Secure,     // TLS and its certificate, or SSH and its host key
    LogIn,
    Directory,  // changing to the profile's folder
    Send,
};

// ReplaceRemembered answers only a changed certificate (another one was trusted for the server before):
// the user has read that warning and replaces the old one; TrustAndRemember never answers it.
enum class TTrustAnswer { Refuse, TrustAndRemember, ReplaceRemembered };
