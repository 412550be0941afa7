;;; emacs_eglot.el --- drives eglot as a user does, after the README's snippet  -*- lexical-binding: t -*-
;; Run by emacs_eglot.sh: visits TAMVO_FILE, starts eglot with M-x eglot,
;; waits for tamvo lsp's diagnostics in Flymake, takes what M-x eldoc shows
;; on the call of Add (a procedure of mdlMath, in the same folder) and in
;; its arguments, picks the actions
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

(defun tamvo-eldoc (text offset)
  "What M-x eldoc shows with point OFFSET characters into TEXT: the
documentation eglot's functions give eldoc's displays (the echo area and
the *eldoc* buffer)."
  (goto-char (point-min))
  (search-forward text)
  (goto-char (+ (match-beginning 0) offset))
  (let* ((shown nil)
         (take (lambda (docs _interactive) (when docs (setq shown docs)))))
    (add-hook 'eldoc-display-functions take)
    (unwind-protect
        (progn (call-interactively #'eldoc)
               (tamvo-wait "documentation from eldoc" (lambda () shown)))
      (remove-hook 'eldoc-display-functions take))
    (mapconcat #'car shown "\n")))

(defun tamvo-expect (text shown what)
  (unless (string-search shown text) (error "%s lacks %S: %S" what shown text)))

;; Hover on the callee: the summary and the place of its block in mdlMath.
(let ((hover (tamvo-eldoc "x = Add(1, 2)" 5)))
  (tamvo-expect hover "Adds two numbers." "The hover")
  (tamvo-expect hover "mdlMath, line 10" "The hover"))
;; Signature help after "Add(1, ": the second parameter, marked in the
;; declaration where the server's offsets say, with its words.
(let* ((help (tamvo-eldoc "x = Add(1, 2)" 11))
       (label "Public Function Add(ByVal a As Long, ByVal b As Long) As Long")
       (at (string-search label help)))
  (unless at (error "The signature help lacks the declaration: %S" help))
  (tamvo-expect help "b: the second" "The signature help")
  (unless (memq 'eldoc-highlight-function-argument
                (ensure-list (get-text-property (+ at 43) 'face help)))
    (error "The signature help marks no b at 43: %S" help)))

;; The actions from the first missing-doc finding.
(let ((missing (car (sort (cl-remove-if-not
                           (lambda (d) (string-match-p "\\[missing-doc\\]" (flymake-diagnostic-text d)))
                           (flymake-diagnostics))
                          (lambda (a b) (< (flymake-diagnostic-beg a) (flymake-diagnostic-beg b)))))))
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
