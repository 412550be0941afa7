;;; emacs_eglot.el --- drives eglot as a user does, after the README's snippet  -*- lexical-binding: t -*-
;; Run by emacs_eglot.sh: visits TAMVO_FILE, starts eglot with M-x eglot,
;; waits for tamvo lsp's diagnostics in Flymake, picks the actions
;; TAMVO_ACTIONS (titles between "|") with M-x eglot-code-actions, the first
;; on the line of the first missing-doc finding, the others on line 1, and
;; writes the buffer to TAMVO_OUT.
(require 'cl-lib)

(defun tamvo-wait (what predicate)
  "Wait up to 10 seconds for PREDICATE, reading the server's output meanwhile."
  (let ((deadline (+ (float-time) 10)))
    (while (not (funcall predicate))
      (when (> (float-time) deadline) (error "No %s within 10 seconds" what))
      (accept-process-output nil 0.05))))

(find-file (getenv "TAMVO_FILE"))
(unless (eq major-mode 'vba-mode) (error "The module is in %s, not vba-mode" major-mode))
(call-interactively #'eglot)
(tamvo-wait "eglot connection" #'eglot-current-server)
(tamvo-wait "diagnostics in Flymake" #'flymake-diagnostics)
(let ((missing (cl-find-if (lambda (d) (string-match-p "\\[missing-doc\\]" (flymake-diagnostic-text d)))
                           (flymake-diagnostics))))
  (unless missing
    (error "No missing-doc finding among %S" (mapcar #'flymake-diagnostic-text (flymake-diagnostics))))
  (goto-char (flymake-diagnostic-beg missing)))

(dolist (title (split-string (getenv "TAMVO_ACTIONS") "|"))
  (let* ((offered nil)
         ;; M-x from the keyboard: the choice is read in the minibuffer.
         (last-nonmenu-event ?\r)
         (before (buffer-string)))
    (cl-letf (((symbol-function 'completing-read)
               (lambda (_prompt collection &rest _)
                 (setq offered (mapcar #'car collection))
                 title)))
      (call-interactively #'eglot-code-actions))
    (unless (member title offered) (error "No \"%s\" among the actions %S" title offered))
    (when (equal before (buffer-string)) (error "\"%s\" changed nothing" title))
    (goto-char (point-min))))

(let ((coding-system-for-write 'utf-8-unix))
  (write-region nil nil (getenv "TAMVO_OUT")))
(kill-emacs 0)
